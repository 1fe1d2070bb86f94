// Random text as TAVELIN.INI through the real loader and every evaluation pass, on a fixed machine
// with a small in-memory registry. Checks that the loader keeps its bounds (any count, however
// large, is read), that the device query is asked once per distinct id, and that the cached driver
// lookup answers exactly as the walk from scratch.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "config/catalogue.h"
#include "evaluate/driver_registry_lookup.h"
#include "evaluate/evaluation_sequence.h"
#include "evaluate/memory_registry.h"
#include "scratch_file.h"

namespace {

using namespace tavelin;

MemoryRegistry MakeMachine() {
    MemoryRegistry r;
    const std::wstring enumRoot = L"SYSTEM\\CurrentControlSet\\Enum\\";
    const std::wstring classRoot = L"SYSTEM\\CurrentControlSet\\Control\\Class\\{C}\\";
    r.SetValue(enumRoot + L"PCI\\VEN_8086&DEV_27D8&SUBSYS_1\\3&1", L"Driver", L"{C}\\0000");
    r.SetValue(enumRoot + L"PCI\\VEN_8086&DEV_27D8&SUBSYS_2\\3&2", L"Driver", L"{C}\\0001");
    r.SetValue(enumRoot + L"PCI\\VEN_8086&DEV_27DA\\3&3", L"Driver", L"{C}\\0002");
    r.AddKey(enumRoot + L"PCI\\VEN_10EC&DEV_8168");
    r.SetValue(enumRoot + L"USB\\VID_174F&PID_A311\\6&0", L"Driver", L"{C}\\0001");
    for (const wchar_t* number : {L"0000", L"0001"}) {
        r.SetValue(classRoot + number, L"DriverVersion", L"6.14.10.6555");
        r.SetValue(classRoot + number, L"DriverDate", L"6-21-2006");
        r.SetValue(classRoot + number, L"ProviderName", number[3] == L'0' ? L"Maker" : L"Microsoft");
    }
    r.SetValue(classRoot + L"0002", L"DriverVersion", L" ");
    r.SetValue(L"SOFTWARE\\Maker\\App", L"Version", L"2.0");
    r.AddKey(L"SOFTWARE\\Maker\\Suite\\1.0");
    r.AddKey(L"SOFTWARE\\Maker\\Suite\\Common");
    r.AddKey(L"SOFTWARE\\Maker\\Only64\\3.0", RegistryView::View64);
    return r;
}

class OddLengthPresent : public HardwareQuery {
public:
    bool IsDevicePresent(const std::wstring& hardwareId) override {
        if (!asked.insert(hardwareId).second) __builtin_trap();  // each distinct id is asked once
        return hardwareId.size() % 2 == 1;
    }
    std::set<std::wstring> asked;
};

class Discard : public MessageSink {
public:
    void ShowMessage(const std::wstring&) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const fuzzing::ScratchFile scratch("tavelin_catalogue_fuzz_");
    const std::filesystem::path& path = scratch.Write(data, size);

    for (bool is64Bit : {false, true}) {
        MachineFacts facts;
        facts.m_szOSKey = L"WNT_5.1_XP";
        facts.m_b64Bit = is64Bit;
        facts.m_szLanguageCode = L"0409";
        LoadedCatalogue catalogue = LoadCatalogue(ConfigFile(path), facts, L"TV-1000");
        if (catalogue.m_szLanguageTag.size() > kMaxTagLength) __builtin_trap();
        if (catalogue.m_pItemList.size() > static_cast<std::size_t>(kMaxCatalogueItems)) __builtin_trap();

        MemoryRegistry registry = MakeMachine();
        DriverKeyCache cached(registry);
        long long records = 0;
        for (const auto& item : catalogue.m_pItemList) {
            records += static_cast<long long>(item->m_pHwIdList.size());
            if (item->m_pHwIdList.size() > static_cast<std::size_t>(kMaxHardwareIdsPerItem)) __builtin_trap();
            if (item->m_nType == ITEM_TYPE_DRIVER &&
                (item->m_pVersionList.size() != item->m_pHwIdList.size() ||
                 item->m_pDateList.size() != item->m_pHwIdList.size())) {
                __builtin_trap();
            }
            for (const CHW_ID& id : item->m_pHwIdList) cached.Expect(id.m_strHwId);
        }
        if (records > kMaxHardwareIdsPerCatalogue) __builtin_trap();
        // Each distinct id is walked from scratch once: a catalogue at its bounds repeats ids, and
        // walking again for every repetition made one run of such an input cost seconds (the
        // program's own work on it is a few milliseconds).
        std::map<std::wstring, InstalledDriverRecord> walked;
        for (const auto& item : catalogue.m_pItemList) {
            for (const CHW_ID& id : item->m_pHwIdList) {
                const InstalledDriverRecord& fromCache = *cached.Lookup(id.m_strHwId);
                auto found = walked.find(id.m_strHwId);
                if (found == walked.end()) {
                    found = walked.emplace(id.m_strHwId, ReadInstalledDriver(registry, id.m_strHwId)).first;
                }
                const InstalledDriverRecord& direct = found->second;
                if (fromCache.failure != direct.failure || fromCache.failedPath != direct.failedPath ||
                    fromCache.version != direct.version || fromCache.date != direct.date ||
                    fromCache.provider != direct.provider) {
                    __builtin_trap();
                }
            }
        }

        OddLengthPresent hardware;
        Discard sink;
        DiagnosticSwitches switches;
        switches.m_bShowErrorMessage = switches.m_bShowItemVersionStatus = true;
        RunEvaluationPasses(catalogue.m_pItemList,
                            {facts, catalogue.m_szOSDisplayName, catalogue.m_szLanguageTag, registry, hardware,
                             switches, sink},
                            is64Bit ? EvaluationRun::Startup : EvaluationRun::Rescan);
    }
    return 0;
}
