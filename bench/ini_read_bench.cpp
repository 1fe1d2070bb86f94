// How much reading a 300-item catalogue costs next to one parse of its file, two ways:
//   - every key of a generated file through ConfigFile::ReadIniValue (all of them present);
//   - the real loader, LoadCatalogue, on a catalogue in the disc's own format (200 drivers with
//     1,000 hardware ids, applications, hotfixes), which also asks for the many keys a disc leaves
//     out and goes through the value cleaning and the number readers.
// With the file parsed once, each should cost less than two parses. Prints the times and their
// ratios, measured in this run, after checking what was read (exit 1 on a wrong result).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "config/catalogue.h"
#include "config/config_file.h"
#include "config/profile_file.h"
#include "config/text.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kItems = 300;
constexpr int kHardwareIds = 6;
constexpr int kVersions = 4;
constexpr int kRounds = 7;

struct Key {
    std::wstring section;
    std::wstring name;
    std::wstring written;  // the value as the file holds it, before cleaning
};

std::string Catalogue(std::vector<Key>& keys) {
    std::string text = "; generated catalogue\r\n[Driver_CD]\r\nModel = QX-200, QX-210\r\nSupport_OS = WNT_5.1_XP\r\n"
                       "[Items]\r\nCount = " + std::to_string(kItems) + "\r\n";
    for (int n = 1; n <= kItems; ++n) {
        const std::string section = "Item_" + std::to_string(n);
        text += "\r\n[" + section + "]\r\n";
        auto add = [&](const std::string& name, const std::string& value) {
            text += name + " = " + value + "\r\n";
            keys.push_back({std::wstring(section.begin(), section.end()), std::wstring(name.begin(), name.end()),
                            std::wstring(value.begin(), value.end())});
        };
        add("Type", std::to_string(n % 4 + 1));
        add("Title_ENG", "\"Driver number " + std::to_string(n) + "\"");
        add("Title_JPN", "Driver " + std::to_string(n) + " JPN");
        add("Description_ENG", "Installs the driver for device " + std::to_string(n) + " ; with a comment");
        add("Description_JPN", "Setsumei " + std::to_string(n));
        add("Slient_Install_Cmd", "Drivers\\D" + std::to_string(n) + "\\Setup.exe%%-s -f2\"C:\\setup.log\"");
        add("Slient_Uninstall_Cmd", "Drivers\\D" + std::to_string(n) + "\\Setup.exe%%-s -uninst");
        add("Restart", n % 7 == 0 ? "1" : "0");
        add("Install", "1");
        add("Wait_Time", "5");
        add("Model", "QX-200,QX-210");
        add("System_Type", "32,64");
        add("Support_OS", "WNT_5.1_XP, WNT_6.0_VISTA, WNT_6.1_WIN7");
        add("Language_ID", "0409,0411");
        add("HW_ID_Rule", "OR");
        for (int i = 1; i <= kHardwareIds; ++i) {
            add("HW_ID_" + std::to_string(i), "PCI\\VEN_8086&DEV_27" + std::to_string(10 + i) + "&SUBSYS_" + std::to_string(n));
        }
        for (int i = 1; i <= kVersions; ++i) {
            add("Version_" + std::to_string(i), "6." + std::to_string(i) + ".0." + std::to_string(1000 + n));
            add("Date_" + std::to_string(i), "10/" + std::to_string(i + 10) + "/2006");
        }
        add("Registry_Path", "SOFTWARE\\Vendor\\Product" + std::to_string(n));
    }
    return text;
}

// A catalogue as discs write it: titles and descriptions in two languages, command lines, versions
// and dates per hardware id, version paths, some rules between items; no Model or System_Type keys.
std::string DiscCatalogue() {
    std::string text = "[Driver_CD]\r\nTitle_ENG=Bench Disc\r\nWait_Time=3\r\n[OS_Language_Tag]\r\n0409=ENG\r\n"
                       "0411=JPN\r\nWNT_5.1_XP=Windows XP\r\n[Items]\r\nItem_Quantity=300\r\n";
    int id = 0;
    for (int n = 1; n <= 300; ++n) {
        const std::string number = std::to_string(n);
        text += "\r\n[Item_" + number + "]\r\n";
        text += "Title_ENG=Item " + number + "\r\nTitle_JPN=Item " + number + " JPN\r\n";
        text += "Description_ENG=What item " + number + " installs ; a comment\r\n";
        text += "Slient_Install_Cmd=\\Drivers\\D" + number + "\\Setup.exe%%-s\r\n";
        if (n <= 200) {
            text += "Type=DRIVER\r\nHW_ID_Quantity=5\r\nHW_ID_CheckRule=" + std::string(n % 3 == 0 ? "AND" : "OR") +
                    "\r\n";
            for (int i = 1; i <= 5; ++i, ++id) {
                const std::string index = std::to_string(i);
                text += "HW_ID_" + index + "=PCI\\VEN_8086&DEV_" + std::to_string(1000 + id) + "\r\nVersion_" + index +
                        "=6.1." + std::to_string(id) + ".0\r\nDate_" + index + "=7-1-2006\r\n";
            }
            text += "DisplayVersion=6.1.0.0\r\n";
        } else {
            const bool hotfix = n > 260;
            text += std::string("Type=") + (hotfix ? "HOTFIX" : "RECOMMENDED_APPLICATION") + "\r\n";
            text += "Version_Path=SOFTWARE\\Maker\\App" + number + "\\Version\r\n";
            if (!hotfix) text += "Version=2.0\r\nGUID={BENCH-" + number + "}\r\nRescan=1\r\n";
            if (n % 10 == 0) text += "Visible_If_Item_Exist=Item_" + std::to_string(n - 1) + "\r\n";
            if (n % 7 == 0) text += "Dependence=Item_1, Item_2\r\n";
        }
    }
    return text;
}

double Milliseconds(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Fails the benchmark loudly: a reader or loader that skipped work would read as a speed-up.
int Mismatch(const std::string& what) {
    std::fprintf(stderr, "MISMATCH: %s; the figures of this run mean nothing\n", what.c_str());
    return 1;
}

}  // namespace

int main() {
    std::vector<Key> keys;
    const std::string text = Catalogue(keys);
    const fs::path folder = fs::temp_directory_path() / "tavelin-ini-read-bench";
    fs::create_directories(folder);
    const fs::path path = folder / "TAVELIN.INI";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << text;
    }

    // The best of several rounds of each, so that one disturbance by another process does not
    // decide the ratio.
    double parseBest = 1e30;
    double readsBest = 1e30;
    std::size_t checksum = 0;
    for (int round = 0; round < kRounds; ++round) {
        const auto parseStart = Clock::now();
        const tavelin::ProfileFile profile = tavelin::ProfileFile::Parse(ReadAll(path));
        parseBest = std::min(parseBest, Milliseconds(Clock::now() - parseStart));
        checksum += profile.Find(L"Items", L"Count").value_or(L"").size();

        const auto readsStart = Clock::now();
        const tavelin::ConfigFile config(path);
        for (const Key& key : keys) checksum += config.ReadIniValue(key.section, key.name).size();
        readsBest = std::min(readsBest, Milliseconds(Clock::now() - readsStart));
    }

    const std::string disc = DiscCatalogue();
    const fs::path discPath = folder / "DISC.INI";
    {
        std::ofstream out(discPath, std::ios::binary | std::ios::trunc);
        out << disc;
    }
    double discParseBest = 1e30;
    double loadBest = 1e30;
    std::size_t loaded = 0;
    tavelin::MachineFacts facts;
    facts.m_szOSKey = L"WNT_5.1_XP";
    facts.m_szLanguageCode = L"0409";
    for (int round = 0; round < kRounds; ++round) {
        const auto parseStart = Clock::now();
        const tavelin::ProfileFile profile = tavelin::ProfileFile::Parse(ReadAll(discPath));
        discParseBest = std::min(discParseBest, Milliseconds(Clock::now() - parseStart));
        checksum += profile.Find(L"Items", L"Item_Quantity").value_or(L"").size();

        const auto loadStart = Clock::now();
        const tavelin::ConfigFile config(discPath);
        const tavelin::LoadedCatalogue catalogue = tavelin::LoadCatalogue(config, facts, L"BENCH BOOK");
        loadBest = std::min(loadBest, Milliseconds(Clock::now() - loadStart));
        loaded = catalogue.m_pItemList.size();
        std::size_t hardwareIds = 0;
        for (const auto& item : catalogue.m_pItemList) hardwareIds += item->m_pHwIdList.size();
        if (loaded != 300 || hardwareIds != 1000 || catalogue.m_pItemList[299]->m_strTitle != L"Item 300") {
            return Mismatch("LoadCatalogue gave " + std::to_string(loaded) + " items with " +
                            std::to_string(hardwareIds) + " hardware ids, expected 300 with 1000");
        }
    }

    {
        // Every read answers what the file holds, cleaned: checked once, outside the timing.
        const tavelin::ConfigFile config(path);
        for (const Key& key : keys) {
            if (config.ReadIniValue(key.section, key.name) != tavelin::CleanIniValue(key.written)) {
                return Mismatch("ReadIniValue of a key did not give its written value");
            }
        }
    }
    std::error_code ignored;
    fs::remove_all(folder, ignored);

    const double ratio = readsBest / parseBest;
    std::printf("ini_read_bench: %d items, %zu keys, %zu bytes (best of %d rounds, checksum %zu)\n", kItems,
                keys.size(), text.size(), kRounds, checksum);
    std::printf("  one parse of the file:              %9.3f ms\n", parseBest);
    std::printf("  every key through ReadIniValue:     %9.3f ms  (fresh ConfigFile, parse included)\n", readsBest);
    std::printf("  ratio every key read / one parse:   %9.2f   (target: at most 2.00) %s\n", ratio,
                ratio <= 2.0 ? "OK" : "MISSED");
    const double loadRatio = loadBest / discParseBest;
    std::printf("LoadCatalogue: %zu items loaded from %zu bytes in the disc's format\n", loaded, disc.size());
    std::printf("  one parse of the file:              %9.3f ms\n", discParseBest);
    std::printf("  LoadCatalogue (fresh ConfigFile):   %9.3f ms\n", loadBest);
    std::printf("  ratio LoadCatalogue / one parse:    %9.2f   (target: at most 2.00) %s\n", loadRatio,
                loadRatio <= 2.0 ? "OK" : "MISSED");
    return 0;
}
