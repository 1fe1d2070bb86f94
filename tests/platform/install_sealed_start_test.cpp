// A sealed installer's start over Win32: only a file with the sealed digest starts, and while it
// is being checked and started nobody can write it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "install/process_launcher_win.h"
#include "platform/handles.h"
#include "platform/held_file_win.h"

namespace tavelin {
namespace {

std::wstring OwnProgram() {
    wchar_t path[MAX_PATH + 1] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH + 1);
    return path;
}

std::wstring TempPath() {
    wchar_t path[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, path);
    return path;
}

TEST(InstallSealedStart, OnlyTheSealedFileStarts) {
    const std::wstring program = TempPath() + L"TavelinSealed" + std::to_wstring(GetCurrentProcessId()) + L".exe";
    ASSERT_TRUE(CopyFileW(OwnProgram().c_str(), program.c_str(), FALSE));
    const std::optional<Sha256Digest> digest = FileSha256(program);
    ASSERT_TRUE(digest.has_value());
    const std::wstring commandLine = L"\"" + program + L"\" --gtest_list_tests";

    Win32ProcessLauncher launcher;
    SealVerdict verdict = SealVerdict::Unsealed;
    {
        std::unique_ptr<StartedProcess> started = launcher.StartSealed(commandLine, program, *digest, verdict);
        EXPECT_EQ(verdict, SealVerdict::Matches);
        ASSERT_NE(started, nullptr);
        started->WaitSlice(20000);
    }
    const Sha256Digest other = Sha256Of("another installer");
    EXPECT_EQ(launcher.StartSealed(commandLine, program, other, verdict), nullptr);
    EXPECT_EQ(verdict, SealVerdict::Differs);
    const std::wstring missing = program + L".missing.exe";
    EXPECT_EQ(launcher.StartSealed(L"\"" + missing + L"\"", missing, *digest, verdict), nullptr);
    EXPECT_EQ(verdict, SealVerdict::FileMissing);

    // Held: no write, no replacing rename, no delete until it is let go.
    {
        const HeldFile held = OpenAndHash(program);
        ASSERT_TRUE(held.file.Valid());
        EXPECT_EQ(held.digest, digest);
        UniqueHandle writer(CreateFileW(program.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
        EXPECT_FALSE(writer.Valid()) << "written while held";
        EXPECT_FALSE(DeleteFileW(program.c_str())) << "deleted while held";
    }
    EXPECT_TRUE(DeleteFileW(program.c_str()));
}

}  // namespace
}  // namespace tavelin
