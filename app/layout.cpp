#include "app/layout.h"

#include <cstring>

#include "codec/sjis.h"

PaneLayout ComputePaneLayout(int width, int height, int clientHeight, int statusHeight, bool split,
                             int splitPercent)
{
    PaneLayout l{};
    l.status = {0, clientHeight - statusHeight, width, statusHeight};
    if (!split) {
        l.main = {0, 0, width, height - statusHeight};
        return l;
    }
    // The four pixels between the panes are the split bar.
    int h = height - statusHeight - 4;
    int top = h * splitPercent / 100;
    l.main = {0, 0, width, top};
    l.sub = {0, top + 4, width, h * (100 - splitPercent) / 100};
    return l;
}

bool ComputeDragShare(unsigned yWord, int clientHeight, int statusHeight, int* share)
{
    int p = clientHeight - statusHeight;
    if (p == 0)
        return false;
    int y = static_cast<int>(yWord & 0xFFFF);
    int s = y * 100 / p;
    if (s > 6000)
        s = 10;  // above the window: the word wrapped round
    if (s < 10)
        s = 10;
    if (s > 90)
        s = 90;
    *share = s;
    return true;
}

namespace {

const char kPrefix[] = "VEXA Edit ! : ";
const char kEllipsis[] = "...";

}  // namespace

void FormatTitle(const char* path, char* title, std::size_t titleSize)
{
    if (titleSize == 0)
        return;
    const std::size_t prefix = sizeof kPrefix - 1;
    const std::size_t length = std::strlen(path);
    if (prefix + length < titleSize) {
        std::memcpy(title, kPrefix, prefix);
        std::memcpy(title + prefix, path, length + 1);
        return;
    }
    const std::size_t ellipsis = sizeof kEllipsis - 1;
    if (prefix + ellipsis >= titleSize) {
        title[0] = 0;
        return;
    }
    // The tail that fits, beginning at a character boundary.
    const std::size_t room = titleSize - 1 - prefix - ellipsis;
    std::size_t start = 0;
    for (std::size_t i = 0; i < length;) {
        if (length - i <= room) {
            start = i;
            break;
        }
        i += sjis::CharLength(path, length, i);
        start = i;
    }
    std::memcpy(title, kPrefix, prefix);
    std::memcpy(title + prefix, kEllipsis, ellipsis);
    std::memcpy(title + prefix + ellipsis, path + start, length - start + 1);
}
