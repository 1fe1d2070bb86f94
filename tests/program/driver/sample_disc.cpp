#include "driver/sample_disc.h"

namespace tavelin::testing {

TestDisc MakeSampleDisc(const std::wstring& name, const std::string& title, int waitSeconds, const std::string& items,
                        int quantity, const std::string& discKeys, RestartHelper helper) {
    TestDisc disc(name);
    const std::wstring built = PathFromEnvironment("TAVELIN_DISC_DIR");
    disc.CopyIn(built + L"\\Apps\\Power\\Setup.exe", L"Apps\\Power\\Setup.exe");
    if (helper == RestartHelper::OnDisc) disc.CopyIn(built + L"\\Lib\\ReInst.exe", L"Lib\\ReInst.exe");
    disc.WriteIni("[Driver_CD]\r\nTitle_ENG=" + title + "\r\nWait_Time=" + std::to_string(waitSeconds) + "\r\n" +
                  discKeys + "[Items]\r\nItem_Quantity=" + std::to_string(quantity) + "\r\n" + items);
    return disc;
}

std::string SampleApplication(int number, const std::string& title, const std::string& versionKey, int delayMs,
                              const std::string& extra) {
    return "[Item_" + std::to_string(number) + "]\r\n"
           "Type=OPTIONAL_APPLICATION\r\n"
           "Title_ENG=" + title + "\r\n"
           "Version=2.0\r\n"
           "Version_Path=" + versionKey + "\\Version\r\n"
           "Slient_Install_Cmd=\\Apps\\Power\\Setup.exe%%/delay " + std::to_string(delayMs) + " /set " + versionKey +
           " Version 2.0\r\n" + extra;
}

}  // namespace tavelin::testing
