// How much reading a whole 300-item catalogue value by value costs next to one parse of its file.
// The loader reads every key through ConfigFile::ReadIniValue; with the file parsed once, all those
// reads should cost less than two parses. Prints both times and their ratio, measured in this run.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

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
};

std::string Catalogue(std::vector<Key>& keys) {
    std::string text = "; generated catalogue\r\n[Driver_CD]\r\nModel = QX-200, QX-210\r\nSupport_OS = WNT_5.1_XP\r\n"
                       "[Items]\r\nCount = " + std::to_string(kItems) + "\r\n";
    for (int n = 1; n <= kItems; ++n) {
        const std::string section = "Item_" + std::to_string(n);
        text += "\r\n[" + section + "]\r\n";
        auto add = [&](const std::string& name, const std::string& value) {
            text += name + " = " + value + "\r\n";
            keys.push_back({std::wstring(section.begin(), section.end()), std::wstring(name.begin(), name.end())});
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

double Milliseconds(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
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

    std::error_code ignored;
    fs::remove_all(folder, ignored);

    const double ratio = readsBest / parseBest;
    std::printf("ini_read_bench: %d items, %zu keys, %zu bytes (best of %d rounds, checksum %zu)\n", kItems,
                keys.size(), text.size(), kRounds, checksum);
    std::printf("  one parse of the file:              %9.3f ms\n", parseBest);
    std::printf("  every key through ReadIniValue:     %9.3f ms  (fresh ConfigFile, parse included)\n", readsBest);
    std::printf("  ratio all reads / one parse:        %9.2f   (target: at most 2.00) %s\n", ratio,
                ratio <= 2.0 ? "OK" : "OVER TARGET");
    return 0;
}
