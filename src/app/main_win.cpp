#include <windows.h>

#include "app/tavelin_app.h"
#include "platform/dll_search_win.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // Before anything loads a DLL on demand (the common controls' theme support, the shell, the
    // disc's libraries): the program runs as administrator from folders others may write.
    tavelin::RestrictDllSearchToSystemFolder();
    CTavelinApp app(instance);
    app.InitInstance();
    return app.ExitCode();
}
