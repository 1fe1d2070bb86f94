#include "platform/held_file_win.h"

#include <vector>

namespace tavelin {

HeldFile OpenAndHash(const std::wstring& path) {
    HeldFile held;
    // Shared for reading only: a write, a rename over it or a delete is refused while it is open,
    // while the system can still open it to run it.
    held.file.Reset(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!held.file) return held;
    Sha256 hash;
    std::vector<char> buffer(64 * 1024);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(held.file.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) return held;
        if (got == 0) break;
        hash.Update(buffer.data(), got);
    }
    held.digest = hash.Finish();
    return held;
}

std::optional<Sha256Digest> FileSha256(const std::wstring& path) { return OpenAndHash(path).digest; }

}  // namespace tavelin
