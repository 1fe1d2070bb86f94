// What the program knows about the running Windows after identification.
#pragma once

#include <string>

namespace tavelin {

struct MachineFacts {
    std::wstring m_szOSKey;         // such as WNT_5.1_XP; empty when the version has no key
    bool m_b64Bit = false;          // the (32-bit) program runs on 64-bit Windows
    std::wstring m_szLanguageCode;  // user-interface language, four lower-case hex digits
};

}  // namespace tavelin
