// A configuration file written for one test case and removed afterwards.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "config/config_file.h"

namespace tavelin {

class TempIniFile {
public:
    explicit TempIniFile(const std::string& content) {
        static std::atomic<int> counter{0};
        // Unique per case and per object, so that parallel test programs never share a file.
        m_path = std::filesystem::temp_directory_path() /
                 ("tavelin_test_" + std::to_string(counter++) + "_" +
                  std::to_string(reinterpret_cast<std::uintptr_t>(this)) + ".ini");
        std::ofstream(m_path, std::ios::binary) << content;
    }
    ~TempIniFile() {
        std::error_code ignored;
        std::filesystem::remove(m_path, ignored);
    }
    TempIniFile(const TempIniFile&) = delete;
    TempIniFile& operator=(const TempIniFile&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    ConfigFile Config() const { return ConfigFile(m_path); }

private:
    std::filesystem::path m_path;
};

}  // namespace tavelin
