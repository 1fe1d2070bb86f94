// The calling protocol of the hardware-query libraries in the disc's Lib folder (QVCDDMI.DLL,
// QVCDENUM.DLL, QVCDUSB.DLL). The program's adapter and our own libraries both follow this header,
// so a change here changes both sides.
//
// Each library exports one undecorated __stdcall function, shaped like DeviceIoControl:
//
//   BOOL QuorvelIoControl(DWORD request, void* input, DWORD inputSize,
//                         void* output, DWORD outputSize, DWORD* bytesReturned, void* reserved);
//
// Non-zero means success; `reserved` is always null.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tavelin::vendor {

inline constexpr char kEntryPointName[] = "QuorvelIoControl";

inline constexpr wchar_t kDmiLibraryName[] = L"QVCDDMI.DLL";
inline constexpr wchar_t kEnumLibraryName[] = L"QVCDENUM.DLL";
inline constexpr wchar_t kUsbLibraryName[] = L"QVCDUSB.DLL";
inline constexpr wchar_t kDriverFileName[] = L"Quorvelhwio.sys";

// Request 0 (QVCDENUM, QVCDUSB): is a device present whose hardware ids or compatible ids include
// the queried id, compared without regard to case? No output; the answer is the result.
//   QVCDENUM: input is the UTF-16 id, inputSize its length in characters (no terminator needed).
//   QVCDUSB:  input is the id in the ANSI code page, NUL-terminated, in a buffer of inputSize bytes;
//             only ids that begin with "USB\" can be present.
inline constexpr std::uint32_t kRequestDevicePresent = 0;
inline constexpr std::size_t kUsbIdBufferSize = 256;

// The model read (QVCDDMI) asks for three records in this order, with no input. Each request fails
// when the output buffer is smaller than its record.
//
// Request 2, the library's identification (35 bytes):
//   0  char[4]   signature "QVCD"
//   4  uint16    protocol version (1)
//   6  uint8     SMBIOS major version, 0 when unknown
//   7  uint8     SMBIOS minor version
//   8  char[27]  library name, NUL-padded
inline constexpr std::uint32_t kRequestIdentify = 2;
inline constexpr std::uint32_t kIdentifyRecordSize = 35;
inline constexpr char kIdentifySignature[4] = {'Q', 'V', 'C', 'D'};
inline constexpr std::uint16_t kProtocolVersion = 1;

// Request 6, where the model came from (39 bytes):
//   0  uint8     source: 0 none, 1 SMBIOS table, 2 registry
//   1  uint8     SMBIOS structure type the name was taken from (1), 0 for the registry
//   2  uint16    SMBIOS structure handle, 0 for the registry
//   4  uint32    length of the model name in bytes, without the terminator
//   8  char[31]  reserved, zero
inline constexpr std::uint32_t kRequestModelSource = 6;
inline constexpr std::uint32_t kModelSourceRecordSize = 39;
inline constexpr std::uint8_t kModelSourceNone = 0;
inline constexpr std::uint8_t kModelSourceSmbios = 1;
inline constexpr std::uint8_t kModelSourceRegistry = 2;

// Request 4, the system information record: the C struct below, laid out as the library's own
// bitness lays it out. The text fields are pointers to NUL-terminated ANSI texts owned by the
// library, valid while it stays loaded; never null (an unknown text is "").
//                              32-bit library   64-bit library
//   structure type (1)         0  uint32        0  uint32
//   record size                4  uint32 (24)   4  uint32 (40)
//   -> system product name     8                8           the model
//   -> system manufacturer     12               16
//   -> system version          16               24
//   -> system serial number    20               32
// A 32-bit program talks to 32-bit libraries and a 64-bit program to 64-bit ones (Windows loads
// no other), so each side compiles the same struct and the pointers are never narrowed.
struct SystemInformationRecord {
    std::uint32_t structureType;
    std::uint32_t recordSize;
    const char* productName;
    const char* manufacturer;
    const char* version;
    const char* serialNumber;
};
inline constexpr std::uint32_t kRequestSystemInformation = 4;
inline constexpr std::uint32_t kSystemInformationRecordSize = sizeof(SystemInformationRecord);
static_assert(kSystemInformationRecordSize == (sizeof(void*) == 8 ? 40 : 24), "the record as each bitness lays it out");
static_assert(offsetof(SystemInformationRecord, productName) == 8, "the model pointer sits at offset 8 in both");

}  // namespace tavelin::vendor
