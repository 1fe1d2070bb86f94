#include "probe/device_question_thread_win.h"

#include <atomic>

namespace tavelin {

DeviceFoundBy AskDeviceLibraries(QuorvelIoControlFunction enumEntryPoint, QuorvelIoControlFunction usbEntryPoint,
                                 const std::wstring& hardwareId) {
    DWORD bytesReturned = 0;
    if (enumEntryPoint != nullptr &&
        enumEntryPoint(vendor::kRequestDevicePresent, const_cast<wchar_t*>(hardwareId.c_str()),
                       static_cast<DWORD>(hardwareId.size()), nullptr, 0, &bytesReturned, nullptr) != FALSE) {
        return DeviceFoundBy::EnumLibrary;
    }
    if (usbEntryPoint == nullptr) return DeviceFoundBy::Nobody;
    char ansiId[vendor::kUsbIdBufferSize] = {};
    WideCharToMultiByte(CP_ACP, 0, hardwareId.c_str(), -1, ansiId, sizeof(ansiId), nullptr, nullptr);
    ansiId[sizeof(ansiId) - 1] = '\0';  // an over-long id is cut, never left unterminated
    if (usbEntryPoint(vendor::kRequestDevicePresent, ansiId, sizeof(ansiId), nullptr, 0, &bytesReturned, nullptr) ==
        FALSE) {
        return DeviceFoundBy::Nobody;
    }
    return DeviceFoundBy::UsbLibrary;
}

struct DeviceQuestionThread::Questions {
    QuorvelIoControlFunction enumEntryPoint = nullptr;
    QuorvelIoControlFunction usbEntryPoint = nullptr;
    UniqueModule enumLibrary;  // the thread's own references
    UniqueModule usbLibrary;
    UniqueHandle threadBefore;
    std::vector<std::wstring> ids;
    std::vector<DeviceFoundBy> foundBy;  // read by the owner only after the thread ended
    std::atomic<bool> stop{false};
};

namespace {

// A reference of our own to the library that holds `entryPoint`; false when there is none to take.
bool HoldLibraryOf(QuorvelIoControlFunction entryPoint, UniqueModule& library) {
    if (entryPoint == nullptr) return true;
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<LPCWSTR>(reinterpret_cast<void*>(entryPoint)), &module)) {
        return false;
    }
    library.Reset(module);
    return true;
}

}  // namespace

DWORD WINAPI DeviceQuestionThread::AskAll(void* parameter) {
    const std::unique_ptr<std::shared_ptr<Questions>> handedOver(static_cast<std::shared_ptr<Questions>*>(parameter));
    const std::shared_ptr<Questions> questions = std::move(*handedOver);
    if (questions->threadBefore) {
        WaitForSingleObject(questions->threadBefore.Get(), INFINITE);
        questions->threadBefore.Reset();
    }
    for (std::size_t i = 0; i < questions->ids.size() && !questions->stop.load(); ++i) {
        questions->foundBy[i] =
            AskDeviceLibraries(questions->enumEntryPoint, questions->usbEntryPoint, questions->ids[i]);
    }
    // This code is the program's, not a library's: the references go before the thread ends.
    questions->enumLibrary.Reset();
    questions->usbLibrary.Reset();
    return 0;
}

void DeviceQuestionThread::Start(QuorvelIoControlFunction enumEntryPoint, QuorvelIoControlFunction usbEntryPoint,
                                 std::vector<std::wstring> ids) {
    m_questions.reset();  // a thread still asking keeps its own
    if (enumEntryPoint == nullptr && usbEntryPoint == nullptr) return;
    auto questions = std::make_shared<Questions>();
    questions->enumEntryPoint = enumEntryPoint;
    questions->usbEntryPoint = usbEntryPoint;
    if (!HoldLibraryOf(enumEntryPoint, questions->enumLibrary) ||
        !HoldLibraryOf(usbEntryPoint, questions->usbLibrary)) {
        return;
    }
    questions->foundBy.assign(ids.size(), DeviceFoundBy::NotAsked);
    questions->ids = std::move(ids);
    questions->threadBefore = std::move(m_thread);
    auto handedOver = std::make_unique<std::shared_ptr<Questions>>(questions);
    const HANDLE thread = CreateThread(nullptr, 0, AskAll, handedOver.get(), 0, nullptr);
    if (thread == nullptr) {
        m_thread = std::move(questions->threadBefore);
        return;
    }
    handedOver.release();  // the thread's now
    m_thread.Reset(thread);
    m_questions = std::move(questions);
}

void DeviceQuestionThread::Wait() {
    if (!m_thread) return;
    // The waiting thread owns the dialog. Messages other threads send to its windows while the
    // libraries answer (a broadcast, a window a library makes) are answered here: a plain wait
    // would leave the sender, and with it the questions, waiting for ever.
    const HANDLE thread = m_thread.Get();
    for (;;) {
        const DWORD woken = MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE);
        if (woken != WAIT_OBJECT_0 + 1) break;  // the thread ended, or the wait failed
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    m_thread.Reset();
}

void DeviceQuestionThread::Stop() {
    if (m_questions) m_questions->stop = true;
}

DeviceQuestionThread::Answers DeviceQuestionThread::TakeAnswers() {
    Answers answers;
    if (m_thread || !m_questions) return answers;  // still asking, or nothing was asked
    answers.ids = std::move(m_questions->ids);
    answers.foundBy = std::move(m_questions->foundBy);
    m_questions.reset();
    return answers;
}

}  // namespace tavelin
