#include "install/disc_identity.h"

#include <fstream>
#include <vector>

#include "base/sha256.h"

namespace tavelin {

std::wstring DiscIdentityOf(const std::filesystem::path& catalogue) {
    std::ifstream file(catalogue, std::ios::binary);
    if (!file) return std::wstring();
    Sha256 hash;
    std::vector<char> piece(64 * 1024);
    while (file.read(piece.data(), static_cast<std::streamsize>(piece.size())) || file.gcount() > 0) {
        hash.Update(piece.data(), static_cast<std::size_t>(file.gcount()));
    }
    if (file.bad()) return std::wstring();
    return Sha256Text(hash.Finish());
}

}  // namespace tavelin
