// QVCDDMI.DLL: the machine's system information records (model name and where it came from).
#include <cstdint>
#include <cstring>

#include "probe/vendor_protocol.h"
#include "quorvel_io_control.h"
#include "system_information.h"

namespace {

namespace vendor = tavelin::vendor;

// Gathered at the first request and kept until unload: request 4 hands out pointers into it.
const standin::SystemInformation& Information() {
    static const standin::SystemInformation information = standin::GatherSystemInformation();
    return information;
}

void PutU16(std::uint8_t* record, std::size_t offset, std::uint16_t value) { std::memcpy(record + offset, &value, 2); }
void PutU32(std::uint8_t* record, std::size_t offset, std::uint32_t value) { std::memcpy(record + offset, &value, 4); }

void FillIdentify(std::uint8_t* record) {
    std::memcpy(record, vendor::kIdentifySignature, sizeof(vendor::kIdentifySignature));
    PutU16(record, 4, vendor::kProtocolVersion);
    record[6] = Information().smbiosMajor;
    record[7] = Information().smbiosMinor;
    static constexpr char kName[] = "QVCDDMI";
    std::memcpy(record + 8, kName, sizeof(kName));
}

void FillModelSource(std::uint8_t* record) {
    const standin::SystemInformation& information = Information();
    record[0] = information.source;
    record[1] = information.source == vendor::kModelSourceSmbios ? 1 : 0;
    PutU16(record, 2, information.smbiosHandle);
    PutU32(record, 4, static_cast<std::uint32_t>(information.productName.size()));
}

void FillSystemInformation(std::uint8_t* record) {
    const standin::SystemInformation& information = Information();
    const vendor::SystemInformationRecord filled{1,
                                                 vendor::kSystemInformationRecordSize,
                                                 information.productName.c_str(),
                                                 information.manufacturer.c_str(),
                                                 information.version.c_str(),
                                                 information.serialNumber.c_str()};
    std::memcpy(record, &filled, sizeof(filled));
}

struct RecordRequest {
    DWORD request;
    DWORD size;
    void (*fill)(std::uint8_t* record);
};

constexpr RecordRequest kRequests[] = {
    {vendor::kRequestIdentify, vendor::kIdentifyRecordSize, FillIdentify},
    {vendor::kRequestModelSource, vendor::kModelSourceRecordSize, FillModelSource},
    {vendor::kRequestSystemInformation, vendor::kSystemInformationRecordSize, FillSystemInformation},
};

}  // namespace

BOOL WINAPI QuorvelIoControl(DWORD request, void*, DWORD, void* output, DWORD outputSize, DWORD* bytesReturned,
                             void*) {
    if (bytesReturned != nullptr) *bytesReturned = 0;
    for (const RecordRequest& known : kRequests) {
        if (known.request != request) continue;
        if (output == nullptr || outputSize < known.size) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        auto* record = static_cast<std::uint8_t*>(output);
        std::memset(record, 0, known.size);
        known.fill(record);
        if (bytesReturned != nullptr) *bytesReturned = known.size;
        return TRUE;
    }
    SetLastError(ERROR_INVALID_FUNCTION);
    return FALSE;
}
