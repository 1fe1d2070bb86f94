#include "driver/test_machines.h"

#include "driver/test_registry.h"

namespace tavelin::testing {

namespace {
const wchar_t kDisplayClass[] = L"{7d9c3f0a-5a1b-4c39-9a0e-2d5f7d1c0e11}";
}  // namespace

void AddInstalledDisplayAdapter() {
    AddDeviceWithDriver(L"TAVPCI\\VEN_8086&DEV_27A2", kDisplayClass, L"6.14.10.4764", L"6-21-2006", L"Tavelin Graphics");
}

const char kEvaluationDisc[] =
    "[Driver_CD]\r\n"
    "Title_ENG=Evaluation Disc\r\n"
    "[Items]\r\n"
    "Item_Quantity=4\r\n"
    "[Item_1]\r\n"
    "Type=DRIVER\r\n"
    "Title_ENG=Display Driver\r\n"
    "HW_ID_Quantity=1\r\n"
    "HW_ID_1=tavpci\\ven_8086&dev_27a2\r\n"
    "Version_1=6.14.10.4764\r\n"
    "Date_1=6-21-2006\r\n"
    "[Item_2]\r\n"
    "Type=RECOMMENDED_APPLICATION\r\n"
    "Title_ENG=Power Manager\r\n"
    "Version=2.0\r\n"
    "Version_Path=SOFTWARE\\TavelinEvaluationTest\\Power Manager\\Version\r\n"
    "[Item_3]\r\n"
    "Type=Gadget\r\n"
    "Title_ENG=Unknown Kind\r\n"
    "[Item_4]\r\n"
    "Type=HOTFIX\r\n"
    "Title_ENG=Missing Hotfix\r\n"
    "Version_Path=SOFTWARE\\TavelinEvaluationTest\\Hotfix\\KB000001\r\n";

const char kListDisc[] =
    "[Driver_CD]\r\n"
    "Title_ENG=List Disc\r\n"
    "[OS_Language_Tag]\r\n"
    "0409=ENG\r\n"
    "[Items]\r\n"
    "Item_Quantity=5\r\n"
    "[Item_1]\r\n"
    "Type=RECOMMENDED_APPLICATION\r\n"
    "Title_ENG=Power Manager\r\n"
    "Description_ENG=Battery and power profiles.\r\n"
    "Version=2.0\r\n"
    "Version_Path=SOFTWARE\\TavelinListTest\\Power\\Version\r\n"
    "DisplayVersion=2.0\r\n"
    "[Item_2]\r\n"
    "Type=OPTIONAL_APPLICATION\r\n"
    "Title_ENG=Photo Viewer\r\n"
    "Description_ENG=Views photos.\r\n"
    "Version=1.5\r\n"
    "Version_Path=SOFTWARE\\TavelinListTest\\Photo\\Version\r\n"
    "DisplayVersion=1.5\r\n"
    "[Item_3]\r\n"
    "Type=HOTFIX\r\n"
    "Title_ENG=USB Hotfix\r\n"
    "Version_Path=SOFTWARE\\TavelinListTest\\Hotfix\r\n"
    "DisplayVersion=KB1\r\n"
    "[Item_4]\r\n"
    "Type=OPTIONAL_APPLICATION\r\n"
    "Title_ENG=Old System Tool\r\n"
    "OS_Version=Windows 95\r\n"
    "Version_Path=SOFTWARE\\TavelinListTest\\Old\r\n"
    "[Item_5]\r\n"
    "Type=OPTIONAL_APPLICATION\r\n"
    "Title_ENG=Power Widget\r\n"
    "Description_ENG=Needs the power manager.\r\n"
    "Version_Path=SOFTWARE\\TavelinListTest\\Widget\r\n"
    "Dependence=Item_1\r\n";

void AddListMachine(REGSAM view) {
    SetRegistryString(L"SOFTWARE\\TavelinListTest\\Photo", L"Version", L"1.5", REG_SZ, view);
}

void AddDemoDevices() {
    const std::wstring demoClass = L"{8E3F2A61-7C4B-4D5E-A1F9-2B6C0D7E5A30}";
    AddDevice(L"TAVPCI\\VEN_8086&DEV_27A0", L"0", demoClass, L"TAVPCI\\VEN_8086&DEV_27A0");
    AddDevice(L"HDAUDIO\\FUNC_01&VEN_10EC&DEV_0862", L"0", demoClass, L"HDAUDIO\\FUNC_01&VEN_10EC&DEV_0862");
}

void CopyDemoDisc(const TestDisc& disc) {
    const std::wstring built = PathFromEnvironment("TAVELIN_DISC_DIR") + L"\\";
    for (const wchar_t* file : {L"Lib\\TAVELIN.INI", L"Drivers\\Chipset\\Setup.exe", L"Drivers\\Audio\\Setup.exe",
                                L"Apps\\Power\\Setup.exe", L"Apps\\Photo\\Setup.exe", L"Apps\\Recovery\\Setup.exe",
                                L"Hotfix\\KB917021.exe"}) {
        disc.CopyIn(built + file, file);
    }
}

}  // namespace tavelin::testing
