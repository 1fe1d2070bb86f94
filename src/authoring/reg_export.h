// Writing captured keys as Windows' own "reg export" writes a file: UTF-16LE with a byte-order
// mark, "Windows Registry Editor Version 5.00", each key as [HKEY_LOCAL_MACHINE\...] followed by its
// values, a blank line after each key, parents before their subkeys. reg_file.h reads it back.
#pragma once

#include <string>

#include "authoring/registry_capture.h"

namespace tavelin {

// On 64-bit Windows the 32-bit view of SOFTWARE is written below SOFTWARE\Wow6432Node, as the
// system shows it; keys outside SOFTWARE are one key in both views and written once.
std::string RegExportText(const RegistryCapture& capture, bool is64BitWindows);

// One value line: "name"="text" (@ for the default value), with \ and " escaped.
std::wstring RegValueLine(const std::wstring& name, const std::wstring& text);

}  // namespace tavelin
