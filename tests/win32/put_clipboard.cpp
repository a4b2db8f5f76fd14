// Puts its argument on the clipboard as CF_TEXT and exits: another program
// copying text while the editor runs beside it.
#include <windows.h>

#include <cstring>

int main(int argc, char** argv)
{
    if (argc != 2 || !OpenClipboard(NULL))
        return 2;
    EmptyClipboard();
    const std::size_t size = std::strlen(argv[1]) + 1;
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!h)
        return 3;
    std::memcpy(GlobalLock(h), argv[1], size);
    GlobalUnlock(h);
    const bool put = SetClipboardData(CF_TEXT, h) != NULL;
    CloseClipboard();
    return put ? 0 : 4;
}
