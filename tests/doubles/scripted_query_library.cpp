// A hardware-query library that answers from DOUBLES.TXT in its own folder, and notes every call
// in QUERIES.LOG there, so that a program test can set the machine's model and devices and see
// what the program asked, in which order. One source, built once per library kind.
//
// DOUBLES.TXT, one setting per line (blank lines and lines starting with # are ignored):
//   model=TEXT      the model name (request 4), bytes as written, read once per load
//   fail=N          request N of the DMI library fails (2, 6 or 4); may repeat
//   enum=ID         QVCDENUM.DLL answers "present" for ID (compared ignoring ASCII case)
//   usb=ID          QVCDUSB.DLL answers "present" for ID
//   enum_ms=N       QVCDENUM.DLL takes N milliseconds for each answer, as a listing of many devices
//                   does, and also logs "ENUM <id> answered" when it answers
// QUERIES.LOG lines: "DMI <request>", "ENUM <id>", "USB <id>".
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "probe/vendor_protocol.h"

namespace {

namespace vendor = tavelin::vendor;

std::wstring OwnFolder() {
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&OwnFolder), &self);
    wchar_t path[MAX_PATH + 1] = {};
    GetModuleFileNameW(self, path, MAX_PATH + 1);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

struct Setting {
    std::string name;
    std::string value;
};

std::vector<Setting> ReadScript() {
    std::vector<Setting> settings;
    std::ifstream in(std::filesystem::path(OwnFolder() + L"DOUBLES.TXT"), std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        const auto equals = line.find('=');
        if (equals == std::string::npos) continue;
        settings.push_back({line.substr(0, equals), line.substr(equals + 1)});
    }
    return settings;
}

void Log(const std::string& line) {
    std::ofstream(std::filesystem::path(OwnFolder() + L"QUERIES.LOG"), std::ios::binary | std::ios::app) << line << "\r\n";
}

bool EqualsIgnoringAsciiCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto fold = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
        if (fold(a[i]) != fold(b[i])) return false;
    }
    return true;
}

bool Scripted(const char* name, const std::string& value) {
    for (const Setting& setting : ReadScript()) {
        if (setting.name == name && EqualsIgnoringAsciiCase(setting.value, value)) return true;
    }
    return false;
}

// The number of a setting, 0 when it is not scripted.
[[maybe_unused]] DWORD ScriptedNumber(const std::string& name) {  // the ENUM kind alone reads one
    for (const Setting& setting : ReadScript()) {
        if (setting.name == name) return static_cast<DWORD>(std::strtoul(setting.value.c_str(), nullptr, 10));
    }
    return 0;
}

[[maybe_unused]] BOOL AnswerDmi(DWORD request, void* output, DWORD outputSize, DWORD* bytesReturned) {
    Log("DMI " + std::to_string(request));
    // Kept for the life of the load: request 4 hands out a pointer into it.
    static const std::string model = [] {
        std::string text;
        for (const Setting& setting : ReadScript()) {
            if (setting.name == "model") text = setting.value;
        }
        return text;
    }();
    DWORD size = 0;
    if (request == vendor::kRequestIdentify) size = vendor::kIdentifyRecordSize;
    if (request == vendor::kRequestModelSource) size = vendor::kModelSourceRecordSize;
    if (request == vendor::kRequestSystemInformation) size = vendor::kSystemInformationRecordSize;
    if (size == 0 || output == nullptr || outputSize < size || Scripted("fail", std::to_string(request))) return FALSE;
    auto* record = static_cast<std::uint8_t*>(output);
    std::memset(record, 0, size);
    if (request == vendor::kRequestIdentify) std::memcpy(record, vendor::kIdentifySignature, 4);
    if (request == vendor::kRequestSystemInformation) {
        static const char kEmpty[] = "";
        vendor::SystemInformationRecord information{1, vendor::kSystemInformationRecordSize, model.c_str(), kEmpty,
                                                    kEmpty, kEmpty};
        std::memcpy(record, &information, sizeof(information));
    }
    if (bytesReturned != nullptr) *bytesReturned = size;
    return TRUE;
}

[[maybe_unused]] std::string WideToAnsi(const wchar_t* text, int length) {
    const int size = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, length, ansi.data(), size, nullptr, nullptr);
    return ansi;
}

}  // namespace

#if !defined(TAVELIN_DOUBLE_NO_ENTRY)
extern "C" __declspec(dllexport) BOOL WINAPI QuorvelIoControl(DWORD request, void* input, DWORD inputSize,
                                                              void* output, DWORD outputSize,
                                                              DWORD* bytesReturned, void*) {
    if (bytesReturned != nullptr) *bytesReturned = 0;
#if defined(TAVELIN_DOUBLE_DMI)
    (void)input;
    (void)inputSize;
    return AnswerDmi(request, output, outputSize, bytesReturned);
#else
    (void)output;
    (void)outputSize;
    if (request != vendor::kRequestDevicePresent || input == nullptr) return FALSE;
#if defined(TAVELIN_DOUBLE_ENUM)
    const std::string id = WideToAnsi(static_cast<const wchar_t*>(input), static_cast<int>(inputSize));
    Log("ENUM " + id);
    const DWORD answerMs = ScriptedNumber("enum_ms");
    if (answerMs == 0) return Scripted("enum", id) ? TRUE : FALSE;
    Sleep(answerMs);
    Log("ENUM " + id + " answered");
    return Scripted("enum", id) ? TRUE : FALSE;
#else
    const std::string id(static_cast<const char*>(input), strnlen(static_cast<const char*>(input), inputSize));
    Log("USB " + id);
    return Scripted("usb", id) ? TRUE : FALSE;
#endif
#endif
}
#else
// Loads like the real library but lacks its entry point, as a damaged disc would.
extern "C" __declspec(dllexport) BOOL WINAPI QuorvelVersion() { return TRUE; }
#endif
