// Loads the DLL named on its command line the way most programs do, by its
// bare name, and exits: 0 when it was loaded.
#include <windows.h>

#include <stdlib.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    if (__argc != 2)
        return 2;
    return LoadLibraryW(__wargv[1]) ? 0 : 1;
}
