#include "program_driver.h"

#include <cstdlib>
#include <fstream>
#include <vector>

#include "platform/handles.h"

namespace tavelin::testing {
namespace {

const DWORD kPollMs = 50;

void CreateFolders(const std::wstring& path) {
    for (std::size_t i = 3; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == L'\\') CreateDirectoryW(path.substr(0, i).c_str(), nullptr);
    }
}

std::wstring FolderOf(const std::wstring& path) {
    const auto slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

struct WindowSearch {
    DWORD processId;
    const wchar_t* className;  // null: any class
    bool mustBeVisible;
    HWND exclude;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || window == search->exclude) return TRUE;
    if (search->mustBeVisible && !IsWindowVisible(window)) return TRUE;
    if (search->className != nullptr && ClassName(window) != search->className) return TRUE;
    search->found = window;
    return FALSE;
}

HWND FindProcessWindow(DWORD processId, const wchar_t* className, bool mustBeVisible, HWND exclude = nullptr) {
    WindowSearch search{processId, className, mustBeVisible, exclude, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

std::wstring Widen(const std::string& utf8) {
    if (utf8.empty()) return std::wstring();
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
    return wide;
}

std::wstring WindowsPathOfUnixPath(const std::string& unixPath) {
    std::wstring path = L"Z:" + Widen(unixPath);
    for (auto& c : path) {
        if (c == L'/') c = L'\\';
    }
    return path;
}

std::wstring PathFromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') return std::wstring();
    if (value[0] == '/') return WindowsPathOfUnixPath(value);
    return Widen(value);
}

TestDisc::TestDisc(const std::wstring& name, const std::wstring& programRelativePath, Libraries libraries)
    : m_folder(L"C:\\tavelin-tests\\" + name), m_programPath(m_folder + L"\\" + programRelativePath) {
    CreateFolders(FolderOf(m_programPath));
    CreateFolders(DiscRoot() + L"\\Lib");
    const std::wstring setup = PathFromEnvironment("TAVELIN_SETUP_EXE");
    CopyFileW(setup.c_str(), m_programPath.c_str(), FALSE);
    if (libraries == Libraries::StandIns) {
        const std::wstring builtLib = PathFromEnvironment("TAVELIN_DISC_DIR") + L"\\Lib\\";
        for (const wchar_t* file : {L"QVCDDMI.DLL", L"QVCDENUM.DLL", L"QVCDUSB.DLL", L"Quorvelhwio.sys"}) {
            CopyIn(builtLib + file, std::wstring(L"Lib\\") + file);
        }
        // Without a skin every start ends in "Skin error"; a disc is never shipped without one.
        CopySkins();
    }
}

std::wstring TestDisc::DiscRoot() const {
    return FolderOf(m_programPath);
}

void TestDisc::WriteIni(const std::string& utf8Text) const {
    WriteFile(L"Lib\\TAVELIN.INI", "\xEF\xBB\xBF" + utf8Text);
}

void TestDisc::WriteFile(const std::wstring& relativePath, const std::string& bytes) const {
    const std::wstring path = DiscRoot() + L"\\" + relativePath;
    CreateFolders(FolderOf(path));
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    ::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void TestDisc::CopyIn(const std::wstring& source, const std::wstring& relativePath) const {
    const std::wstring target = DiscRoot() + L"\\" + relativePath;
    CreateFolders(FolderOf(target));
    CopyFileW(source.c_str(), target.c_str(), FALSE);
}

void TestDisc::CopySkins() const {
    const std::wstring builtSkin = PathFromEnvironment("TAVELIN_DISC_DIR") + L"\\Lib\\Skin\\";
    WIN32_FIND_DATAW found = {};
    HANDLE search = FindFirstFileW((builtSkin + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
        CopyIn(builtSkin + found.cFileName, std::wstring(L"Lib\\Skin\\") + found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

void TestDisc::UseScriptedLibraries(const std::string& script) const {
    const std::wstring doubles = PathFromEnvironment("TAVELIN_BUILD_DIR") + L"\\doubles\\";
    for (const wchar_t* file : {L"QVCDDMI.DLL", L"QVCDENUM.DLL", L"QVCDUSB.DLL"}) {
        CopyIn(doubles + file, std::wstring(L"Lib\\") + file);
    }
    WriteFile(L"Lib\\DOUBLES.TXT", script);
}

RunningProgram::RunningProgram(const std::wstring& programPath, const std::wstring& commandLine,
                               const std::wstring& workingFolder) {
    std::vector<wchar_t> writable(commandLine.begin(), commandLine.end());
    writable.push_back(L'\0');
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (CreateProcessW(programPath.c_str(), writable.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup, &info)) {
        CloseHandle(info.hThread);
        m_process = info.hProcess;
        m_processId = info.dwProcessId;
    }
}

RunningProgram::~RunningProgram() {
    if (m_process == nullptr) return;
    if (!HasEnded()) {
        TerminateProcess(m_process, 1);
        WaitForSingleObject(m_process, 10000);
    }
    CloseHandle(m_process);
}

HWND RunningProgram::FindMainWindow() const {
    return FindProcessWindow(m_processId, L"CTavelinDlg", false);
}

HWND RunningProgram::WaitForMainWindow(DWORD timeoutMs) const {
    for (DWORD waited = 0;; waited += kPollMs) {
        if (HWND window = FindProcessWindow(m_processId, L"CTavelinDlg", true)) return window;
        if (HasEnded() || waited >= timeoutMs) return nullptr;
        Sleep(kPollMs);
    }
}

HWND RunningProgram::WaitForMessageBox(DWORD timeoutMs) const {
    for (DWORD waited = 0;; waited += kPollMs) {
        if (HWND box = FindProcessWindow(m_processId, L"#32770", true)) return box;
        if (HasEnded() || waited >= timeoutMs) return nullptr;
        Sleep(kPollMs);
    }
}

bool RunningProgram::EndsWithoutShowingAnyWindow(DWORD timeoutMs) const {
    // Polled often: a window shown and closed again between two looks would go unseen.
    const DWORD pollMs = 10;
    for (DWORD waited = 0;; waited += pollMs) {
        if (FindProcessWindow(m_processId, nullptr, true) != nullptr) return false;
        if (HasEnded()) return true;
        if (waited >= timeoutMs) return false;
        Sleep(pollMs);
    }
}

bool RunningProgram::WaitForExit(DWORD timeoutMs) const {
    return m_process == nullptr || WaitForSingleObject(m_process, timeoutMs) == WAIT_OBJECT_0;
}

DWORD RunningProgram::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    if (m_process != nullptr) GetExitCodeProcess(m_process, &code);
    return code;
}

std::vector<std::wstring> RunningProgram::CollectMessagesUntilSettled(DWORD timeoutMs) const {
    std::vector<std::wstring> texts;
    for (const MessageBoxSeen& box : CollectMessageBoxesUntilSettled(timeoutMs)) texts.push_back(box.text);
    return texts;
}

std::vector<MessageBoxSeen> RunningProgram::CollectMessageBoxesUntilSettled(DWORD timeoutMs) const {
    std::vector<MessageBoxSeen> boxes;
    for (DWORD waited = 0; waited < timeoutMs; waited += kPollMs) {
        if (HWND box = FindProcessWindow(m_processId, L"#32770", true)) {
            // The text is set before the box shows; a second read guards against a box caught
            // while it is still being built.
            Sleep(kPollMs);
            boxes.push_back({MessageBoxText(box), MessageBoxShowsIcon(box)});
            HWND answered = box;
            AnswerMessageBox(box, IDOK);
            for (int i = 0; i < 200 && IsWindow(answered) && IsWindowVisible(answered); ++i) Sleep(kPollMs);
            continue;
        }
        if (FindProcessWindow(m_processId, L"CTavelinDlg", true) != nullptr || HasEnded()) break;
        Sleep(kPollMs);
    }
    return boxes;
}

bool RunningProgram::Close(DWORD timeoutMs) const {
    if (HWND window = FindMainWindow()) PostMessageW(window, WM_CLOSE, 0, 0);
    return WaitForExit(timeoutMs);
}

std::wstring WindowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

std::wstring ClassName(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

ControlState ReadControl(HWND dialog, int id) {
    ControlState state;
    HWND control = GetDlgItem(dialog, id);
    if (control == nullptr) return state;
    state.exists = true;
    state.text = WindowText(control);
    state.visible = IsWindowVisible(control) != FALSE;
    state.enabled = IsWindowEnabled(control) != FALSE;
    return state;
}

std::wstring MessageBoxText(HWND box) {
    HWND text = GetDlgItem(box, 0xFFFF);
    return text != nullptr ? WindowText(text) : std::wstring();
}

bool MessageBoxShowsIcon(HWND box) {
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        const LONG style = GetWindowLongW(child, GWL_STYLE);
        // A box without an icon may still keep an empty icon control.
        if (_wcsicmp(ClassName(child).c_str(), L"Static") == 0 && (style & SS_TYPEMASK) == SS_ICON &&
            IsWindowVisible(child) && SendMessageW(child, STM_GETICON, 0, 0) != 0) {
            return true;
        }
    }
    return false;
}

void AnswerMessageBox(HWND box, int buttonId) {
    HWND button = GetDlgItem(box, buttonId);
    if (button != nullptr) {
        PostMessageW(button, BM_CLICK, 0, 0);
    } else {
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), 0);
    }
}

void SaveScreenshot(HWND window, const std::wstring& name) {
    const std::wstring folder = PathFromEnvironment("TAVELIN_ARTIFACTS");
    if (folder.empty() || window == nullptr) return;
    CreateFolders(folder);
    SetForegroundWindow(window);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(300);

    RECT bounds = {};
    GetWindowRect(window, &bounds);
    const int width = bounds.right - bounds.left;
    const int height = bounds.bottom - bounds.top;
    if (width <= 0 || height <= 0) return;

    HDC screen = GetDC(nullptr);
    UniqueMemoryDc memory(CreateCompatibleDC(screen));
    UniqueGdiObject bitmap(CreateCompatibleBitmap(screen, width, height));
    {
        SelectedObject selected(memory.Get(), bitmap.Get());
        BitBlt(memory.Get(), 0, 0, width, height, screen, bounds.left, bounds.top, SRCCOPY);
    }

    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    const DWORD stride = static_cast<DWORD>((width * 3 + 3) & ~3);
    std::vector<char> pixels(static_cast<std::size_t>(stride) * static_cast<std::size_t>(height));
    GetDIBits(memory.Get(), static_cast<HBITMAP>(bitmap.Get()), 0, static_cast<UINT>(height), pixels.data(),
              reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);

    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    const std::wstring path = folder + L"\\" + name + L".bmp";
    UniqueHandle out(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    WriteFile(out.Get(), &file, sizeof(file), &written, nullptr);
    WriteFile(out.Get(), &header, sizeof(header), &written, nullptr);
    WriteFile(out.Get(), pixels.data(), static_cast<DWORD>(pixels.size()), &written, nullptr);
}

}  // namespace tavelin::testing
