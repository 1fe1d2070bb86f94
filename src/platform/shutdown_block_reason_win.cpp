#include "platform/shutdown_block_reason_win.h"

namespace tavelin {
namespace {

using CreateFunction = BOOL(WINAPI*)(HWND, LPCWSTR);
using DestroyFunction = BOOL(WINAPI*)(HWND);

template <typename Function>
Function User32EntryPoint(const char* name) {
    // user32 is loaded: the program has windows.
    HMODULE user = GetModuleHandleW(L"user32.dll");
    if (user == nullptr) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(user, name)));
}

}  // namespace

bool SetShutdownBlockReason(HWND window, const std::wstring& reason) {
    static const auto create = User32EntryPoint<CreateFunction>("ShutdownBlockReasonCreate");
    return create != nullptr && create(window, reason.c_str()) != FALSE;
}

void ClearShutdownBlockReason(HWND window) {
    static const auto destroy = User32EntryPoint<DestroyFunction>("ShutdownBlockReasonDestroy");
    if (destroy != nullptr) destroy(window);
}

}  // namespace tavelin
