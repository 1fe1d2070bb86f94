// The sample installer of the demo disc. It installs and uninstalls "for real" by writing or
// removing the registry traces that the disc program's detection reads, takes its time as a real
// installer does, and exits. It shows no window.
//
//   Setup.exe [/delay MILLISECONDS] [/exit CODE] ACTION...
//
// Actions run in the order given; every key is under HKEY_LOCAL_MACHINE, in the view a 32-bit
// program sees by default (the 64-bit build asks for that view by name):
//   /key KEY                 creates KEY (an application found by its key, a hotfix, an
//                            uninstall key, a version subkey)
//   /set KEY NAME DATA       creates KEY and sets its text value NAME to DATA
//   /remove KEY              deletes KEY with everything below it
//   /driver DEVICE DRIVERKEY VERSION DATE PROVIDER
//                            installs a driver for a device: DEVICE is bus\device-id, e.g.
//                            TAVPCI\VEN_8086&DEV_27A0 (a bus of our own: the system's own buses may
//                            be rebuilt by the system at every start); its instance 0 under
//                            SYSTEM\CurrentControlSet\Enum gets HardwareID, ClassGUID and "Driver" =
//                            DRIVERKEY, e.g. {5A1B...}\0000 (a class GUID of our own), and the class
//                            key SYSTEM\CurrentControlSet\Control\Class\DRIVERKEY gets DriverVersion,
//                            DriverDate and ProviderName. A device that is missing is created.
//   /remove-driver DEVICE DRIVERKEY
//                            removes the class key and the device's "Driver" value; the device stays.
//
// The pause (1500 ms unless /delay says otherwise) comes before the actions, as a real installer
// copies files before it registers them. Exit codes: 0 done (or CODE, given with /exit, so that a
// disc can show how the program judges an installer's code), 1 bad command line, 2 a registry
// change failed (the actions after it are still tried).
#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

#include "platform/registry_view_win.h"

namespace {

using tavelin::RegistryView;
constexpr REGSAM kView = tavelin::RegistryViewFlag(RegistryView::View32);

constexpr DWORD kDefaultDelayMs = 1500;
constexpr wchar_t kEnumRoot[] = L"SYSTEM\\CurrentControlSet\\Enum\\";
constexpr wchar_t kClassRoot[] = L"SYSTEM\\CurrentControlSet\\Control\\Class\\";

class Key {
public:
    Key() = default;
    ~Key() {
        if (m_key != nullptr) RegCloseKey(m_key);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    HKEY* Receive() { return &m_key; }
    HKEY Get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

bool CreateKey(const std::wstring& path, Key& key) {
    return RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_WRITE | kView, nullptr, key.Receive(),
                           nullptr) == ERROR_SUCCESS;
}

bool SetValue(HKEY key, const std::wstring& name, DWORD type, const std::wstring& data) {
    // REG_MULTI_SZ ends with a second null; a wstring's own null supplies the first.
    const std::size_t characters = data.size() + (type == REG_MULTI_SZ ? 2 : 1);
    std::vector<wchar_t> bytes(data.begin(), data.end());
    bytes.resize(characters, L'\0');
    return RegSetValueExW(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                          static_cast<DWORD>(characters * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool CreateOnly(const std::wstring& path) {
    Key key;
    return CreateKey(path, key);
}

bool CreateKeyWithValue(const std::wstring& path, const std::wstring& name, const std::wstring& data) {
    Key key;
    return CreateKey(path, key) && SetValue(key.Get(), name, REG_SZ, data);
}

// RegDeleteTreeW is missing on the oldest systems the disc supports.
bool DeleteTree(HKEY parent, const std::wstring& path) {
    {
        Key key;
        if (RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ | kView, key.Receive()) != ERROR_SUCCESS) return true;
        std::vector<std::wstring> children;
        wchar_t name[256];
        for (DWORD index = 0;; ++index) {
            DWORD length = 256;
            if (RegEnumKeyExW(key.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
                break;
            }
            children.emplace_back(name, length);
        }
        for (const std::wstring& child : children) DeleteTree(parent, path + L"\\" + child);
    }
    return tavelin::DeleteRegistryKey(parent, path, RegistryView::View32) == ERROR_SUCCESS;
}

bool InstallDriver(const std::wstring& device, const std::wstring& driverKey, const std::wstring& version,
                   const std::wstring& date, const std::wstring& provider) {
    const std::wstring classGuid = driverKey.substr(0, driverKey.find(L'\\'));
    bool ok = true;
    {
        Key instance;
        ok = CreateKey(kEnumRoot + device + L"\\0", instance) &&
             SetValue(instance.Get(), L"HardwareID", REG_MULTI_SZ, device) &&
             SetValue(instance.Get(), L"ClassGUID", REG_SZ, classGuid) &&
             SetValue(instance.Get(), L"Driver", REG_SZ, driverKey);
    }
    Key driver;
    return ok && CreateKey(kClassRoot + driverKey, driver) &&
           SetValue(driver.Get(), L"DriverVersion", REG_SZ, version) &&
           SetValue(driver.Get(), L"DriverDate", REG_SZ, date) &&
           SetValue(driver.Get(), L"ProviderName", REG_SZ, provider);
}

bool RemoveDriver(const std::wstring& device, const std::wstring& driverKey) {
    bool ok = DeleteTree(HKEY_LOCAL_MACHINE, kClassRoot + driverKey);
    Key instance;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, (kEnumRoot + device + L"\\0").c_str(), 0, KEY_SET_VALUE | kView,
                      instance.Receive()) == ERROR_SUCCESS) {
        const LONG deleted = RegDeleteValueW(instance.Get(), L"Driver");
        ok = ok && (deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND);
    }
    return ok;
}

struct Action {
    std::wstring name;
    std::vector<std::wstring> arguments;
};

// How many arguments each action takes.
int ArgumentCount(const std::wstring& action) {
    if (action == L"/key" || action == L"/remove") return 1;
    if (action == L"/set") return 3;
    if (action == L"/driver") return 5;
    if (action == L"/remove-driver") return 2;
    return -1;
}

bool Run(const Action& action) {
    const std::vector<std::wstring>& a = action.arguments;
    if (action.name == L"/key") return CreateOnly(a[0]);
    if (action.name == L"/set") return CreateKeyWithValue(a[0], a[1], a[2]);
    if (action.name == L"/remove") return DeleteTree(HKEY_LOCAL_MACHINE, a[0]);
    if (action.name == L"/driver") return InstallDriver(a[0], a[1], a[2], a[3], a[4]);
    if (action.name == L"/remove-driver") return RemoveDriver(a[0], a[1]);
    return false;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    DWORD delay = kDefaultDelayMs;
    int doneCode = 0;
    std::vector<Action> actions;
    for (int i = 1; i < argc;) {
        const std::wstring name = argv[i++];
        if (name == L"/delay" && i < argc) {
            delay = static_cast<DWORD>(std::wcstoul(argv[i++], nullptr, 10));
            continue;
        }
        if (name == L"/exit" && i < argc) {
            doneCode = static_cast<int>(std::wcstoul(argv[i++], nullptr, 0));
            continue;
        }
        const int count = ArgumentCount(name);
        if (count < 0 || i + count > argc) return 1;
        actions.push_back(Action{name, std::vector<std::wstring>(argv + i, argv + i + count)});
        i += count;
    }
    if (actions.empty()) return 1;

    Sleep(delay);
    int exitCode = doneCode;
    for (const Action& action : actions) {
        if (!Run(action)) exitCode = 2;
    }
    return exitCode;
}
