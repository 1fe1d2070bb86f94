// QVCDENUM.DLL: device presence for any hardware id, asked in UTF-16.
#include <string>

#include "device_match_win.h"
#include "probe/vendor_protocol.h"
#include "quorvel_io_control.h"

BOOL WINAPI QuorvelIoControl(DWORD request, void* input, DWORD inputSize, void*, DWORD, DWORD* bytesReturned, void*) {
    if (bytesReturned != nullptr) *bytesReturned = 0;
    if (request != tavelin::vendor::kRequestDevicePresent) {
        SetLastError(ERROR_INVALID_FUNCTION);
        return FALSE;
    }
    if (input == nullptr || inputSize == 0) return FALSE;
    // The size counts characters; a terminator inside it ends the id early.
    std::wstring id(static_cast<const wchar_t*>(input), inputSize);
    id.resize(id.find(L'\0') == std::wstring::npos ? id.size() : id.find(L'\0'));
    return standin::IsDeviceWithIdPresent(id) ? TRUE : FALSE;
}
