#include "probe/device_query_warm_up_win.h"

#include <cwchar>
#include <memory>

namespace tavelin {
namespace {

// What the thread owns: the entry point, and its own reference to the library that holds it, so
// that the program may free its libraries (and end) while the listing still runs.
struct WarmUpQuery {
    QuorvelIoControlFunction entryPoint = nullptr;
    HMODULE library = nullptr;
};

DWORD WINAPI AskOnce(void* parameter) {
    std::unique_ptr<WarmUpQuery> query(static_cast<WarmUpQuery*>(parameter));
    wchar_t id[64] = {};
    std::wcsncpy(id, DeviceQueryWarmUp::kWarmUpId, 63);
    DWORD bytesReturned = 0;
    query->entryPoint(vendor::kRequestDevicePresent, id, static_cast<DWORD>(std::wcslen(id)), nullptr, 0,
                      &bytesReturned, nullptr);
    const HMODULE library = query->library;
    query.reset();
    FreeLibraryAndExitThread(library, 0);
}

}  // namespace

void DeviceQueryWarmUp::Start(QuorvelIoControlFunction entryPoint) {
    Wait();
    if (entryPoint == nullptr) return;
    auto query = std::make_unique<WarmUpQuery>();
    query->entryPoint = entryPoint;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<LPCWSTR>(reinterpret_cast<void*>(entryPoint)), &query->library)) {
        return;
    }
    const HMODULE library = query->library;
    m_thread.Reset(CreateThread(nullptr, 0, AskOnce, query.get(), 0, nullptr));
    if (m_thread) {
        query.release();  // the thread's now
    } else {
        FreeLibrary(library);
    }
}

void DeviceQueryWarmUp::Wait() {
    if (!m_thread) return;
    // The waiting thread owns the dialog. Messages other threads send to its windows while the
    // listing runs (a broadcast, a window the listing's libraries make) are answered here: a plain
    // wait would leave the sender, and with it the listing, waiting for ever.
    const HANDLE thread = m_thread.Get();
    for (;;) {
        const DWORD woken = MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE);
        if (woken != WAIT_OBJECT_0 + 1) break;  // the thread ended, or the wait failed
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    m_thread.Reset();
}

}  // namespace tavelin
