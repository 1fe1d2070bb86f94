#include <windows.h>

#include "app/tavelin_app.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    CTavelinApp app(instance);
    return app.InitInstance() ? 0 : 0;
}
