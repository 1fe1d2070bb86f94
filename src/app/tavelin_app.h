// The application object: common controls, the main window class, the single-instance guard and
// the modal main dialog.
#pragma once

#include <windows.h>

#include "platform/handles.h"

class CTavelinApp {
public:
    explicit CTavelinApp(HINSTANCE instance) : m_hInstance(instance) {}

    // Always false: the program ends when the main dialog ends (or at once for a second copy).
    bool InitInstance();

private:
    bool RegisterMainWindowClass();
    bool TakeSingleInstanceGuard();

    HINSTANCE m_hInstance;
    // Held, and owned, until the process ends: other copies find the name and end.
    tavelin::UniqueHandle m_hInstanceMutex;
};
