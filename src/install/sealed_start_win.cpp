// A sealed installer's start: the file is opened shared for reading only (no write, rename or
// delete until it is closed), hashed through that handle, and the process is created from the same
// path while the handle is still held, so what was hashed is what runs.
#include "install/process_launcher_win.h"
#include "platform/held_file_win.h"

namespace tavelin {

std::unique_ptr<StartedProcess> Win32ProcessLauncher::StartSealed(const std::wstring& commandLine,
                                                                  const std::wstring& programPath,
                                                                  const Sha256Digest& expected,
                                                                  SealVerdict& verdict) {
    const HeldFile held = OpenAndHash(programPath);
    verdict = JudgeSeal(expected, held.digest);
    if (verdict != SealVerdict::Matches) return nullptr;
    return StartProgramAt(programPath, commandLine);
}

}  // namespace tavelin
