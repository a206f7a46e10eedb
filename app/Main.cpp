// Entry point of vandrel.exe.
#include "app/VandrelApp.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    if (!theApp.StartUp()) return 0;
    return theApp.Run();
}
