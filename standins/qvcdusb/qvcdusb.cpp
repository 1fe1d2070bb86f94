// QVCDUSB.DLL: device presence for USB hardware ids, asked in the ANSI code page.
#include <cstring>
#include <string>

#include "device_match_win.h"
#include "probe/vendor_protocol.h"
#include "quorvel_io_control.h"

namespace {

std::wstring AnsiToWide(const char* text, std::size_t length) {
    if (length == 0) return {};
    std::wstring wide(length, L'\0');
    const int written = MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length), wide.data(),
                                            static_cast<int>(length));
    wide.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
    return wide;
}

bool IsUsbId(const std::wstring& id) {
    return id.size() >= 4 && CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, id.c_str(), 4, L"USB\\", 4) == CSTR_EQUAL;
}

}  // namespace

BOOL WINAPI QuorvelIoControl(DWORD request, void* input, DWORD inputSize, void*, DWORD, DWORD* bytesReturned, void*) {
    if (bytesReturned != nullptr) *bytesReturned = 0;
    if (request != tavelin::vendor::kRequestDevicePresent) {
        SetLastError(ERROR_INVALID_FUNCTION);
        return FALSE;
    }
    if (input == nullptr || inputSize == 0) return FALSE;
    const char* text = static_cast<const char*>(input);
    const std::size_t length = strnlen(text, inputSize);
    const std::wstring id = AnsiToWide(text, length);
    return IsUsbId(id) && standin::IsDeviceWithIdPresent(id) ? TRUE : FALSE;
}
