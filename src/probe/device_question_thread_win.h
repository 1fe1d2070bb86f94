// Device-presence questions sent to the disc's device libraries on a worker thread. A library
// answers from one reading of the machine's devices (our own libraries read the registry's Enum
// tree, a second or more on a large machine) and then checks each named device; asked early, that
// work runs beside the rest of the start instead of after it: one question as soon as the
// libraries are loaded (the reading starts while the texts, the skin, the model and the catalogue
// load), then every hardware id of the catalogue while the installed state is read.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/handles.h"
#include "probe/vendor_protocol.h"

namespace tavelin {

using QuorvelIoControlFunction = BOOL(WINAPI*)(DWORD request, void* input, DWORD inputSize, void* output,
                                               DWORD outputSize, DWORD* bytesReturned, void* reserved);

// Which library found a device.
enum class DeviceFoundBy : unsigned char { NotAsked, Nobody, EnumLibrary, UsbLibrary };

// The ENUM library first, then the USB library (with the id in the ANSI code page); a library
// without its entry point (null) is skipped. Called on one thread at a time.
DeviceFoundBy AskDeviceLibraries(QuorvelIoControlFunction enumEntryPoint, QuorvelIoControlFunction usbEntryPoint,
                                 const std::wstring& hardwareId);

class DeviceQuestionThread {
public:
    DeviceQuestionThread() = default;
    // Questions still under way go on; the thread holds its own libraries.
    ~DeviceQuestionThread() = default;
    DeviceQuestionThread(const DeviceQuestionThread&) = delete;
    DeviceQuestionThread& operator=(const DeviceQuestionThread&) = delete;

    // Starts asking `ids` in their order (a null entry point is not asked). The new thread first
    // waits for the one started before, so a library is never asked by two threads at once. It
    // holds its own reference to each library it asks, so the program may free its libraries (and
    // end) while it runs. When the thread cannot be made nothing is asked ahead: every answer is
    // then asked when it is needed, as before.
    void Start(QuorvelIoControlFunction enumEntryPoint, QuorvelIoControlFunction usbEntryPoint,
               std::vector<std::wstring> ids);
    // Returns once the threads have ended. Every question on the caller's thread waits here first.
    void Wait();
    // The thread asks nothing after its current question; answers it did not fetch stay NotAsked.
    void Stop();

    // After Wait: the ids of the last Start and their answers, in the same order; then empty.
    struct Answers {
        std::vector<std::wstring> ids;
        std::vector<DeviceFoundBy> foundBy;
    };
    Answers TakeAnswers();

private:
    struct Questions;
    static DWORD WINAPI AskAll(void* questions);

    std::shared_ptr<Questions> m_questions;  // shared with the thread that asks them
    UniqueHandle m_thread;
};

}  // namespace tavelin
