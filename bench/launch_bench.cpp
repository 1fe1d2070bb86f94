// The wait a user feels: from starting setup.exe to its window with the list filled, on a large disc
// (300 items: drivers with 1,000 hardware ids, applications, hotfixes) on a machine with a large
// registry (5,000 device keys, 300 uninstall keys), against the same start on a disc with no items
// (the window alone). Starts alternate between the two discs; medians of each are printed.
//
// The floor: whatever reads this machine must walk its devices once to say which hardware ids are
// present. Each round also times that walk alone, as the disc's device library makes it (the
// library loaded afresh and asked each of the disc's 1,000 ids), and reading the registry's Enum
// key once (every instance's hardware and compatible ids), the least any listing of the devices
// reads; and, for comparison, SetupAPI's listing of the present devices, the walk the libraries
// made before. The program starts the walk as soon as the libraries are loaded and does the rest
// of its start beside it, so the large disc's launch is set against the walk alone. Every figure with a goal prints one line ending in "(target: at
// most X) OK" or "MISSED": the launch against the device walk (1.05), the walk against the Enum
// read (2), the peak working set against the empty start (memory, 1.5). Each start's list is
// checked (the large disc lists its 230 rows) and each walk's answers (800 of the 1,000 ids present);
// a wrong result ends the benchmark with exit code 1.
//
// Windows only (run under Wine by scripts/bench.sh in a throw-away prefix: it writes the machine's
// keys and the discs under C:\tavelin-tests). Needs TAVELIN_SETUP_EXE and TAVELIN_DISC_DIR, as the
// program tests do.
//   launch_bench [--rounds N]     (default 5 starts of each disc, after one warm-up start each)
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "driver/program_driver.h"
#include "platform/handles.h"
#include "platform/registry_view_win.h"
#include "probe/present_devices_win.h"
#include "ui/resource.h"

namespace {

using tavelin::UniqueHandle;
using tavelin::UniqueKey;
using tavelin::testing::RunningProgram;
using tavelin::testing::TestDisc;

constexpr int kDeviceKeys = 5000;
constexpr int kDrivers = 200;
constexpr int kIdsPerDriver = 5;  // 1,000 hardware ids
constexpr int kPresentIds = 800;  // the rest name devices the machine does not have
constexpr int kApplications = 60;
constexpr int kHotfixes = 40;
constexpr int kUninstallKeys = 300;

const std::wstring kBus = L"TAVBENCH";
const std::wstring kClassGuid = L"{7A7EBE4C-0000-0000-0000-000000000002}";
const std::wstring kEnumBus = L"SYSTEM\\CurrentControlSet\\Enum\\" + kBus;
const std::wstring kClassRoot = L"SYSTEM\\CurrentControlSet\\Control\\Class\\" + kClassGuid;
const std::wstring kSoftware = L"SOFTWARE\\TavelinLaunchBench";
const std::wstring kUninstall = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

std::wstring Hex(unsigned value, int digits) {
    static const wchar_t kDigits[] = L"0123456789ABCDEF";
    std::wstring text(static_cast<std::size_t>(digits), L'0');
    for (int i = digits - 1; i >= 0; --i, value >>= 4) text[static_cast<std::size_t>(i)] = kDigits[value & 15];
    return text;
}
std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }
std::string Number(int value) { return std::to_string(value); }

std::wstring DeviceId(int device) {
    return L"VEN_" + Hex(0x1000u + static_cast<unsigned>(device / 100), 4) + L"&DEV_" +
           Hex(static_cast<unsigned>(device % 100), 4);
}
// Hardware id j names device (j * 6 + 7) mod 5,000 when present, else a device that is not there.
std::wstring HardwareId(int j) {
    if (j < kPresentIds) return kBus + L"\\" + DeviceId((j * 6 + 7) % kDeviceKeys);
    return kBus + L"\\VEN_FFFF&DEV_" + Hex(static_cast<unsigned>(j), 4);
}

void SetText(const std::wstring& path, const wchar_t* name, const std::wstring& text, DWORD type = REG_SZ) {
    UniqueKey key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0,
                        KEY_WRITE | tavelin::RegistryViewFlag(tavelin::RegistryView::View32), nullptr, key.Receive(),
                        nullptr) != ERROR_SUCCESS ||
        name == nullptr) {
        return;
    }
    const std::size_t characters = text.size() + (type == REG_MULTI_SZ ? 2 : 1);
    std::vector<wchar_t> data(text.begin(), text.end());
    data.resize(characters, L'\0');
    RegSetValueExW(key.Get(), name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                   static_cast<DWORD>(characters * sizeof(wchar_t)));
}

// The machine: every device listed by the device libraries (a class GUID and hardware ids), most
// with a driver; the drivers' class keys; applications; uninstall keys.
void PopulateMachine() {
    for (int device = 0; device < kDeviceKeys; ++device) {
        const std::wstring instance = kEnumBus + L"\\" + DeviceId(device) + L"\\4&" + Hex(static_cast<unsigned>(device), 6);
        SetText(instance, L"ClassGUID", kClassGuid);
        SetText(instance, L"HardwareID", kBus + L"\\" + DeviceId(device), REG_MULTI_SZ);
        if (device % 5 != 0) SetText(instance, L"Driver", kClassGuid + L"\\" + std::to_wstring(1000 + device % 1000));
    }
    for (int number = 0; number < 1000; ++number) {
        const std::wstring path = kClassRoot + L"\\" + std::to_wstring(1000 + number);
        SetText(path, L"DriverVersion", L"6.1." + std::to_wstring(number) + L".0");
        SetText(path, L"DriverDate", L"6-21-2006");
        SetText(path, L"ProviderName", number % 10 == 0 ? L"Microsoft" : L"Maker");
    }
    for (int app = 0; app < kApplications + kHotfixes; app += 2) {
        SetText(kSoftware + L"\\App" + std::to_wstring(app), L"Version", L"2.0");
    }
    for (int key = 0; key < kUninstallKeys; ++key) {
        SetText(kUninstall + L"{7A7EBE4C-0000-0000-0000-" + Hex(static_cast<unsigned>(key), 12) + L"}", L"DisplayName",
                L"Bench application " + std::to_wstring(key));
    }
}

std::string LargeCatalogue() {
    std::string ini = "[Driver_CD]\r\nTitle_ENG=Launch Bench Disc\r\n[Items]\r\nItem_Quantity=" +
                      Number(kDrivers + kApplications + kHotfixes) + "\r\n";
    int item = 0;
    int id = 0;
    for (int d = 0; d < kDrivers; ++d) {
        ini += "[Item_" + Number(++item) + "]\r\nType=DRIVER\r\nTitle_ENG=Bench driver " + Number(d) +
               "\r\nSlient_Install_Cmd=\\Drivers\\Setup.exe%%-s\r\nHW_ID_Quantity=" + Number(kIdsPerDriver) +
               "\r\nHW_ID_CheckRule=" + (d % 3 == 0 ? "AND" : "OR") + "\r\n";
        for (int i = 1; i <= kIdsPerDriver; ++i, ++id) {
            ini += "HW_ID_" + Number(i) + "=" + Narrow(HardwareId(id)) + "\r\nVersion_" + Number(i) + "=6.1." +
                   Number(id % 1000) + ".0\r\nDate_" + Number(i) + "=7-1-2006\r\n";
        }
    }
    for (int a = 0; a < kApplications + kHotfixes; ++a) {
        const bool hotfix = a >= kApplications;
        ini += "[Item_" + Number(++item) + "]\r\nType=" +
               (hotfix ? "HOTFIX" : a % 2 == 0 ? "RECOMMENDED_APPLICATION" : "OPTIONAL_APPLICATION") +
               "\r\nTitle_ENG=Bench " + (hotfix ? "hotfix " : "application ") + Number(a) +
               "\r\nSlient_Install_Cmd=\\Apps\\Setup.exe%%-s\r\nVersion_Path=" + Narrow(kSoftware) + "\\App" +
               Number(a) + "\\Version\r\n" + (hotfix ? "" : "Version=2.0\r\nGUID={BENCH-" + Number(a) + "}\r\n");
    }
    return ini;
}

struct Start {
    double seconds = 0;
    SIZE_T peakWorkingSet = 0;
    int rows = 0;
};

double Now() {
    LARGE_INTEGER counter;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// One start: the clock runs from process creation until the main window is visible with its list
// holding at least `minimumRows` rows; then the process's peak working set is read and it is closed.
bool Launch(const TestDisc& disc, int minimumRows, Start& start) {
    const double begin = Now();
    RunningProgram program(disc.ProgramPath(), L"setup.exe");
    if (!program.Started()) return false;
    for (;;) {
        if (HWND window = program.FindMainWindow(); window != nullptr && IsWindowVisible(window)) {
            start.rows = static_cast<int>(SendMessageW(GetDlgItem(window, IDC_ITEM_LIST), LVM_GETITEMCOUNT, 0, 0));
            if (start.rows >= minimumRows) break;
        }
        if (program.HasEnded() || Now() - begin > 900) return false;
        Sleep(10);
    }
    start.seconds = Now() - begin;
    UniqueHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, program.ProcessId()));
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    if (process.Valid() && GetProcessMemoryInfo(process.Get(), &counters, sizeof(counters))) {
        start.peakWorkingSet = counters.PeakWorkingSetSize;
    }
    return program.Close();
}

// One quiet scan with its report: from process creation until the program has ended, having
// identified the machine, evaluated the disc and written the JSON report. Zero when it failed.
double ScanSeconds(const TestDisc& disc) {
    const std::wstring report = disc.DiscRoot() + L"\\..\\launch-bench-scan.json";
    const double begin = Now();
    RunningProgram program(disc.ProgramPath(), L"setup.exe /scan /quiet /report \"" + report + L"\"");
    if (!program.Started() || !program.WaitForExit(900000)) return 0;
    const double seconds = Now() - begin;
    return GetFileAttributesW(report.c_str()) == INVALID_FILE_ATTRIBUTES ? 0 : seconds;
}

// The device walk alone: the disc's device library loaded afresh and asked every hardware id of the
// large disc once, in the catalogue's order, as the evaluation asks them. The library reads the
// machine's devices at its first query and checks an instance's presence when a query first names
// it, so one query would measure only a part of the walk. `present` counts the ids it found.
double DeviceWalkSeconds(const TestDisc& disc, int& present) {
    using QueryFunction = BOOL(WINAPI*)(DWORD, void*, DWORD, void*, DWORD, DWORD*, void*);
    tavelin::UniqueModule library(LoadLibraryW((disc.DiscRoot() + L"\\Lib\\QVCDENUM.DLL").c_str()));
    const auto query = reinterpret_cast<QueryFunction>(
        reinterpret_cast<void*>(GetProcAddress(library.Get(), "QuorvelIoControl")));
    present = 0;
    if (query == nullptr) return 0;
    const double begin = Now();
    for (int j = 0; j < kDrivers * kIdsPerDriver; ++j) {
        std::wstring id = HardwareId(j);
        DWORD returned = 0;
        if (query(0, id.data(), static_cast<DWORD>(id.size()), nullptr, 0, &returned, nullptr) != FALSE) ++present;
    }
    return Now() - begin;
}

// The walk the libraries made before: SetupAPI's list of every present device of every class, each
// device's hardware and compatible ids read through it, the list destroyed (the program's profile
// capture still lists the devices this way). `devices` counts the devices listed.
double SetupApiListingSeconds(std::size_t& devices) {
    const double begin = Now();
    devices = tavelin::ListPresentDevices().size();
    return Now() - begin;
}

// Every subkey name of an open key.
std::vector<std::wstring> SubkeyNames(HKEY key) {
    std::vector<std::wstring> names;
    wchar_t name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = 256;
        if (RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, length);
    }
    return names;
}

// Characters of a multi-string value, 0 when it is missing.
std::size_t MultiStringCharacters(HKEY key, const wchar_t* name) {
    wchar_t data[4096];
    DWORD size = sizeof(data);
    if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size) != ERROR_SUCCESS) return 0;
    return size / sizeof(wchar_t);
}

// Reading the Enum key once: every bus, device and instance, with its hardware and compatible ids.
// `instances` counts the instances that name hardware ids.
double EnumReadSeconds(int& instances) {
    instances = 0;
    const double begin = Now();
    UniqueKey root;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Enum", 0, KEY_READ, root.Receive()) !=
        ERROR_SUCCESS) {
        return 0;
    }
    for (const std::wstring& bus : SubkeyNames(root.Get())) {
        UniqueKey busKey;
        if (RegOpenKeyExW(root.Get(), bus.c_str(), 0, KEY_READ, busKey.Receive()) != ERROR_SUCCESS) continue;
        for (const std::wstring& device : SubkeyNames(busKey.Get())) {
            UniqueKey deviceKey;
            if (RegOpenKeyExW(busKey.Get(), device.c_str(), 0, KEY_READ, deviceKey.Receive()) != ERROR_SUCCESS) continue;
            for (const std::wstring& instance : SubkeyNames(deviceKey.Get())) {
                UniqueKey instanceKey;
                if (RegOpenKeyExW(deviceKey.Get(), instance.c_str(), 0, KEY_READ, instanceKey.Receive()) !=
                    ERROR_SUCCESS) {
                    continue;
                }
                if (MultiStringCharacters(instanceKey.Get(), L"HardwareID") +
                        MultiStringCharacters(instanceKey.Get(), L"CompatibleIDs") > 0) {
                    ++instances;
                }
            }
        }
    }
    return Now() - begin;
}

// One line per goal, the same for every benchmark: what is compared, the ratio, the verdict.
void PrintTarget(const char* what, double ratio, double target) {
    std::printf("  %s: %.2f (target: at most %.2f) %s\n", what, ratio, target, ratio <= target ? "OK" : "MISSED");
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = 5;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--rounds") == 0) rounds = std::max(1, std::atoi(argv[i + 1]));
    }
    const double populateBegin = Now();
    PopulateMachine();
    std::printf("machine: %d device keys, %d uninstall keys (written in %.1f s)\n", kDeviceKeys, kUninstallKeys,
                Now() - populateBegin);

    const TestDisc empty(L"launch-bench-empty");
    empty.WriteIni("[Driver_CD]\r\nTitle_ENG=Launch Bench Disc\r\n[Items]\r\nItem_Quantity=0\r\n");
    const TestDisc large(L"launch-bench-large");
    large.WriteIni(LargeCatalogue());

    struct Disc {
        const char* name;
        const TestDisc& disc;
        int expectedRows;
        std::vector<double> seconds;
        std::vector<double> peakMegabytes;
        int rows = 0;
    };
    // The rows the large disc lists in the recommended view on this machine: the drivers whose ids
    // are present and whose installed driver is older or missing, and the applications and hotfixes
    // not installed. A start that lists another number did other work than the one measured.
    constexpr int kLargeDiscRows = 230;
    Disc discs[] = {{"empty disc", empty, 0, {}, {}}, {"large disc", large, kLargeDiscRows, {}, {}}};
    std::vector<double> walks;
    std::vector<double> listings;
    std::vector<double> enumReads;
    std::size_t listedDevices = 0;
    std::vector<double> scans;
    int instances = 0;
    for (int round = -1; round < rounds; ++round) {  // round -1 warms the caches and is not counted
        if (round >= 0) {
            // The Enum read first: the walk then starts, as the read did, after the last start's
            // program has gone.
            int present = 0;
            enumReads.push_back(EnumReadSeconds(instances));
            walks.push_back(DeviceWalkSeconds(large, present));
            listings.push_back(SetupApiListingSeconds(listedDevices));
            if (present != kPresentIds || instances < kDeviceKeys || listedDevices < kDeviceKeys) {
                std::printf("MISMATCH: the device walk found %d of the disc's ids (expected %d), the Enum read %d "
                            "instances and the SetupAPI listing %zu devices (expected at least %d)\n",
                            present, kPresentIds, instances, listedDevices, kDeviceKeys);
                return 1;
            }
        }
        const double scan = ScanSeconds(large);
        if (scan <= 0) {
            std::printf("large disc: the scan did not end with its report\n");
            return 1;
        }
        if (round >= 0) scans.push_back(scan);
        for (Disc& disc : discs) {
            Start start;
            // The list is filled in one batch: its first row means the whole list.
            if (!Launch(disc.disc, disc.expectedRows > 0 ? 1 : 0, start)) {
                std::printf("%s: the program did not show its filled list\n", disc.name);
                return 1;
            }
            if (start.rows != disc.expectedRows) {
                std::printf("MISMATCH: %s listed %d rows, expected %d\n", disc.name, start.rows, disc.expectedRows);
                return 1;
            }
            if (round < 0) continue;
            disc.seconds.push_back(start.seconds);
            disc.peakMegabytes.push_back(static_cast<double>(start.peakWorkingSet) / (1024.0 * 1024.0));
            disc.rows = start.rows;
        }
    }
    for (const Disc& disc : discs) {
        std::printf("  %-10s launch to list %8.1f ms (median of %d), peak working set %6.1f MB, %d rows (as expected)\n",
                    disc.name, Median(disc.seconds) * 1e3, rounds, Median(disc.peakMegabytes), disc.rows);
    }
    const double emptyLaunch = Median(discs[0].seconds);
    const double largeLaunch = Median(discs[1].seconds);
    const double walk = Median(walks);
    const double enumRead = Median(enumReads);
    const double emptyMemory = Median(discs[0].peakMegabytes);
    std::printf("  %-10s device walk alone %8.1f ms (%d of %d ids present), Enum key read once %8.1f ms (%d "
                "instances; medians of %d)\n", "floor", walk * 1e3, kPresentIds, kDrivers * kIdsPerDriver,
                enumRead * 1e3, instances, rounds);
    std::printf("  %-10s SetupAPI listing of the present devices (the walk before) %8.1f ms (%zu devices); "
                "ratio to the device walk now: %.2f\n", "before", Median(listings) * 1e3, listedDevices,
                Median(listings) / walk);
    std::printf("  ratio launch to list, large / empty: %.2f (no goal: the device walk alone is %.1f times the "
                "empty start)\n", largeLaunch / emptyLaunch, walk / emptyLaunch);
    PrintTarget("ratio launch to list on the large disc / device walk alone", largeLaunch / walk, 1.05);
    PrintTarget("ratio device walk / Enum key read once", walk / enumRead, 2.0);
    std::printf("  %-10s /scan /quiet /report, start to end %8.1f ms (median of %d)\n", "large disc", Median(scans) * 1e3,
                rounds);
    std::printf("  ratio scan with its report / launch to list, large disc: %.2f\n", Median(scans) / largeLaunch);
    if (emptyMemory > 0) {
        PrintTarget("ratio peak working set (memory), large / empty", Median(discs[1].peakMegabytes) / emptyMemory,
                    1.5);
    } else {
        std::printf("  peak working set (memory): not reported by this system (target: at most 1.50) MISSED\n");
    }
    return 0;
}
