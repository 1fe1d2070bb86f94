// SHA-256 (FIPS 180-4), for the fingerprints the program keeps and checks: an installer's file
// against the catalogue's seal, and the program and catalogue a stored run began with. Portable, so
// the disc author's tools compute the same digests natively that the program checks on Windows.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tavelin {

using Sha256Digest = std::array<std::uint8_t, 32>;

// Fed in pieces of any size; Finish ends it (a finished hash must not be fed again).
class Sha256 {
public:
    Sha256();
    void Update(const void* data, std::size_t size);
    Sha256Digest Finish();

private:
    void Compress(const std::uint8_t* block);

    std::array<std::uint32_t, 8> m_state;
    std::array<std::uint8_t, 64> m_block{};
    std::size_t m_blockUsed = 0;
    std::uint64_t m_totalBytes = 0;
};

Sha256Digest Sha256Of(std::string_view bytes);

// 64 lower-case hexadecimal digits.
std::wstring Sha256Text(const Sha256Digest& digest);

// Exactly 64 hexadecimal digits of either case, with blanks around them trimmed; nothing otherwise.
std::optional<Sha256Digest> ParseSha256Text(std::wstring_view text);

}  // namespace tavelin
