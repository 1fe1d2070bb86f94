/* The mingw thread runtime that the C++ runtime pulls in imports GetTickCount64, which Windows XP
 * does not have: a program importing it does not even start there. Defining the import slot here
 * (an object linked before the runtime libraries) satisfies the runtime without importing the
 * function; the slot resolves the real function at first use where it exists, and counts with
 * GetTickCount (with its 49-day wrap) where it does not. Linked into every image that ships. */
#include <windows.h>

typedef ULONGLONG(WINAPI* TickCount64Function)(void);

static ULONGLONG WINAPI TickCount64(void);

/* The slot's name as each bitness decorates it: 32-bit names carry an underscore and the stdcall
 * argument size, 64-bit names neither. */
#ifdef _WIN64
#define TAVELIN_TICK_COUNT_64_SLOT "__imp_GetTickCount64"
#else
#define TAVELIN_TICK_COUNT_64_SLOT "__imp__GetTickCount64@0"
#endif

TickCount64Function tavelin_imp_GetTickCount64 __asm__(TAVELIN_TICK_COUNT_64_SLOT) = TickCount64;

static ULONGLONG WINAPI TickCount64(void) {
    static TickCount64Function system_function = NULL;
    static LONG looked_up = 0;
    if (InterlockedCompareExchange(&looked_up, 1, 0) == 0) {
        HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
        FARPROC found = kernel != NULL ? GetProcAddress(kernel, "GetTickCount64") : NULL;
        system_function = (TickCount64Function)(void*)found;
        InterlockedExchange(&looked_up, 2);
    }
    while (looked_up != 2) Sleep(0);
    return system_function != NULL ? system_function() : (ULONGLONG)GetTickCount();
}
