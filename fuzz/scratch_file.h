// The one file a harness writes its input to, named after the process so parallel fuzzers do not
// share it, and removed when the fuzzer ends (libFuzzer leaves through exit(), which runs the
// destructors of function-local statics), so runs leave nothing behind in the temporary folder.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

namespace tavelin::fuzzing {

class ScratchFile {
public:
    explicit ScratchFile(const std::string& prefix)
        : m_path(std::filesystem::temp_directory_path() / (prefix + std::to_string(getpid()) + ".ini")) {}
    ~ScratchFile() {
        std::error_code ignored;
        std::filesystem::remove(m_path, ignored);
    }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    // Replaces the file's contents with the input and returns its path.
    const std::filesystem::path& Write(const std::uint8_t* data, std::size_t size) const {
        std::ofstream file(m_path, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        return m_path;
    }

private:
    std::filesystem::path m_path;
};

}  // namespace tavelin::fuzzing
