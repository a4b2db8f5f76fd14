// The program's entry point.
#include <windows.h>

#include "app/shell.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand)
{
    HACCEL accelerators = NULL;
    if (!StartApplication(instance, commandLine, showCommand, &accelerators)) {
        FinishApplication();
        return 0;
    }
    int code = RunMessageLoop(accelerators);
    FinishApplication();
    return code;
}
