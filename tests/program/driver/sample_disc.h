// Test discs whose items run the sample installer of the built demo disc (Apps\Power\Setup.exe),
// which installs an application by writing the version value that detection reads.
#pragma once

#include <string>

#include "driver/program_driver.h"

namespace tavelin::testing {

enum class RestartHelper { OnDisc, None };

// The disc `name` with the sample installer and (OnDisc) the restart helper Lib\ReInst.exe, and a
// catalogue of `quantity` items: [Driver_CD] titled `title`, with Wait_Time=`waitSeconds` and the
// further keys `discKeys` ("Key=value\r\n" lines), then `items`.
TestDisc MakeSampleDisc(const std::wstring& name, const std::string& title, int waitSeconds, const std::string& items,
                        int quantity, const std::string& discKeys = "", RestartHelper helper = RestartHelper::OnDisc);

// The section [Item_`number`] of an optional application that the sample installer installs in
// `delayMs`: it writes Version 2.0 under HKLM\`versionKey`, where the item's detection reads it.
// `extra` holds further keys of the section ("Restart=1\r\n").
std::string SampleApplication(int number, const std::string& title, const std::string& versionKey, int delayMs,
                              const std::string& extra = "");

}  // namespace tavelin::testing
