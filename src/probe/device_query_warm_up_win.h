// One device-presence query sent to the disc's ENUM library on a worker thread as soon as the
// libraries are loaded. The library answers every query from one reading of the machine's devices
// (our own libraries read the registry's Enum tree), which on a large machine takes a second or
// more; asked early, that reading runs beside the rest of the start (the user-interface texts, the
// skin, the model, the catalogue, and the evaluation's reading of the installed state) instead of
// after it. Its answer is thrown away: the id names no device.
#pragma once

#include <windows.h>

#include "platform/handles.h"
#include "probe/vendor_protocol.h"

namespace tavelin {

using QuorvelIoControlFunction = BOOL(WINAPI*)(DWORD request, void* input, DWORD inputSize, void* output,
                                               DWORD outputSize, DWORD* bytesReturned, void* reserved);

class DeviceQueryWarmUp {
public:
    DeviceQueryWarmUp() = default;
    ~DeviceQueryWarmUp() = default;  // a listing still under way goes on; it holds its own library
    DeviceQueryWarmUp(const DeviceQueryWarmUp&) = delete;
    DeviceQueryWarmUp& operator=(const DeviceQueryWarmUp&) = delete;

    // Starts the query; nothing happens when the thread cannot be made (the first real query then
    // pays the listing, as before).
    void Start(QuorvelIoControlFunction entryPoint);
    // Returns once the query has ended. Every later query waits here first: a library need not
    // answer two threads at once. Freeing the libraries need not wait: the thread holds its own
    // reference to the library and drops it when it ends, so a window closed right after the start
    // closes at once.
    void Wait();

    // The id asked: no device has it.
    static constexpr const wchar_t* kWarmUpId = L"TAVELIN\\NO-SUCH-DEVICE";

private:
    UniqueHandle m_thread;
};

}  // namespace tavelin
