#include "probe/os_key.h"
#include "probe/os_facts_text.h"

#include <gtest/gtest.h>

#include <string>

#include "narrow_text.h"

namespace tavelin {
namespace {

OsFacts Nt(std::uint32_t major, std::uint32_t minor) {
    OsFacts facts;
    facts.versionQueryOk = true;
    facts.platformId = kPlatformWin32Nt;
    facts.majorVersion = major;
    facts.minorVersion = minor;
    facts.productType = kProductTypeWorkstation;
    facts.languageId = 0x0409;
    return facts;
}

OsFacts Vista(std::uint32_t productInfoType) {
    OsFacts facts = Nt(6, 0);
    facts.productInfoAvailable = true;
    facts.productInfoReturned = true;
    facts.productInfoType = productInfoType;
    return facts;
}

OsFacts Server2003(std::uint8_t productType, bool amd64, bool r2) {
    OsFacts facts = Nt(5, 2);
    facts.productType = productType;
    facts.nativeSystemInfoAvailable = true;
    facts.nativeArchitecture = amd64 ? kArchitectureAmd64 : 0;
    facts.serverR2 = r2;
    return facts;
}

OsFacts Xp(bool tablet, bool mediaCenter, bool starter) {
    OsFacts facts = Nt(5, 1);
    facts.tabletPc = tablet;
    facts.mediaCenter = mediaCenter;
    facts.starter = starter;
    return facts;
}

TEST(BuildOsKey, NamesEveryVersionAndEditionTheDiscsKnow) {
    struct Case {
        const char* name;
        OsFacts facts;
        const wchar_t* expected;
    };
    OsFacts noProductInfo = Vista(3);
    noProductInfo.productInfoAvailable = false;
    OsFacts productInfoFailed = Vista(3);
    productInfoFailed.productInfoReturned = false;
    OsFacts xp64WithoutNativeInfo = Server2003(kProductTypeWorkstation, true, false);
    xp64WithoutNativeInfo.nativeSystemInfoAvailable = false;
    OsFacts plainRecordOnly = Server2003(0, true, false);  // product type unread stays 0
    OsFacts notNt = Nt(5, 1);
    notNt.platformId = 1;
    OsFacts queryFailed = Nt(5, 1);
    queryFailed.versionQueryOk = false;

    const Case cases[] = {
        {"xp professional", Xp(false, false, false), L"WNT_5.1_XP"},
        {"xp tablet", Xp(true, false, false), L"WNT_5.1_TABLET"},
        {"xp media center", Xp(false, true, false), L"WNT_5.1_MCE"},
        {"xp tablet and media center", Xp(true, true, true), L"WNT_5.1_TABLET"},
        {"xp media center and starter", Xp(false, true, true), L"WNT_5.1_MCE"},
        {"xp starter", Xp(false, false, true), L"WNT_5.1_STARTER"},
        {"server 2003 x86", Server2003(3, false, false), L"WNT_5.2_2003"},
        {"server 2003 x64", Server2003(3, true, false), L"WNT_5.2_2003"},
        {"server 2003 r2 on amd64 workstation", Server2003(kProductTypeWorkstation, true, true), L"WNT_5.2_2003R2"},
        {"server 2003 r2", Server2003(3, false, true), L"WNT_5.2_2003R2"},
        {"xp x64", Server2003(kProductTypeWorkstation, true, false), L"WNT_5.2_XP64"},
        {"workstation 5.2 not amd64", Server2003(kProductTypeWorkstation, false, false), L"WNT_5.2_2003"},
        {"xp x64 without GetNativeSystemInfo", xp64WithoutNativeInfo, L"WNT_5.2_2003"},
        {"5.2 from the plain record", plainRecordOnly, L"WNT_5.2_2003"},
        {"vista undefined", Vista(0), L"WNT_6.0_UNDEFINED"},
        {"vista ultimate", Vista(1), L"WNT_6.0_ULTIMATE"},
        {"vista home basic", Vista(2), L"WNT_6.0_HOME_BASIC"},
        {"vista home premium", Vista(3), L"WNT_6.0_HOME_PREMIUM"},
        {"vista enterprise", Vista(4), L"WNT_6.0_ENTERPRISE"},
        {"vista home basic n", Vista(5), L"WNT_6.0_HOME_BASIC_N"},
        {"vista business", Vista(6), L"WNT_6.0_BUSINESS"},
        {"standard server", Vista(7), L"WNT_6.0_STANDARD_SERVER"},
        {"datacenter server", Vista(8), L"WNT_6.0_DATACENTER_SERVER"},
        {"small business server", Vista(9), L"WNT_6.0_SMALLBUSINESS_SERVER"},
        {"enterprise server", Vista(10), L"WNT_6.0_ENTERPRISE_SERVER"},
        {"starter", Vista(11), L"WNT_6.0_STARTER"},
        {"datacenter core", Vista(12), L"WNT_6.0_DATACENTER_SERVER_CORE"},
        {"standard core", Vista(13), L"WNT_6.0_STANDARD_SERVER_CORE"},
        {"enterprise core", Vista(14), L"WNT_6.0_ENTERPRISE_SERVER_CORE"},
        {"itanium", Vista(15), L"WNT_6.0_ENTERPRISE_SERVER_IA64"},
        {"business n", Vista(16), L"WNT_6.0_BUSINESS_N"},
        {"web server", Vista(17), L"WNT_6.0_WEB_SERVER"},
        {"cluster server", Vista(18), L"WNT_6.0_CLUSTER_SERVER"},
        {"home server", Vista(19), L"WNT_6.0_HOME_SERVER"},
        {"storage express", Vista(20), L"WNT_6.0_STORAGE_EXPRESS_SERVER"},
        {"storage standard", Vista(21), L"WNT_6.0_STORAGE_STANDARD_SERVER"},
        {"storage workgroup", Vista(22), L"WNT_6.0_STORAGE_WORKGROUP_SERVER"},
        {"storage enterprise", Vista(23), L"WNT_6.0_STORAGE_ENTERPRISE_SERVER"},
        {"server for small business", Vista(24), L"WNT_6.0_SERVER_FOR_SMALLBUSINESS"},
        {"sbs premium", Vista(25), L"WNT_6.0_SMALLBUSINESS_SERVER_PREMIUM"},
        {"unlicensed", Vista(kProductUnlicensed), L"WNT_6.0_ULTIMATE"},
        {"product type 26", Vista(26), L"WNT_6.0"},
        {"wine's workstation product 0x1C", Vista(0x1C), L"WNT_6.0"},
        {"product type 0xFFFFFFFF", Vista(0xFFFFFFFF), L"WNT_6.0"},
        {"GetProductInfo missing", noProductInfo, L"WNT_6.0"},
        {"GetProductInfo returned zero", productInfoFailed, L"WNT_6.0"},
        {"windows 7", Nt(6, 1), L""},
        {"windows 8", Nt(6, 2), L""},
        {"windows 10", Nt(10, 0), L""},
        {"windows 2000", Nt(5, 0), L""},
        {"nt 4", Nt(4, 0), L""},
        {"windows 98", notNt, L""},
        {"version query failed", queryFailed, L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Narrow(BuildOsKey(c.facts)), Narrow(c.expected)) << c.name;
        EXPECT_EQ(Narrow(BuildMachineFacts(c.facts).m_szOSKey), Narrow(c.expected)) << c.name;
    }
}

TEST(BuildMachineFacts, SixtyFourBitFromA64BitProcessOrFromIsWow64Process) {
    struct Case {
        const char* name;
        bool process64;
        bool available;
        bool flag;
        bool versionQueryOk;
        bool expected;
    };
    const Case cases[] = {
        {"32-bit windows", false, true, false, true, false},
        {"64-bit windows", false, true, true, true, true},
        {"entry point missing", false, false, true, true, false},
        {"64-bit even when the version query failed", false, true, true, false, true},
        // IsWow64Process answers false for a 64-bit process on 64-bit Windows.
        {"64-bit process", true, true, false, true, true},
        {"64-bit process, version query failed", true, true, false, false, true},
    };
    for (const auto& c : cases) {
        OsFacts facts = Nt(6, 1);
        facts.is64BitProcess = c.process64;
        facts.isWow64ProcessAvailable = c.available;
        facts.isWow64 = c.flag;
        facts.versionQueryOk = c.versionQueryOk;
        EXPECT_EQ(BuildMachineFacts(facts).m_b64Bit, c.expected) << c.name;
    }
}

TEST(BuildMachineFacts, LanguageCodeIsFourLowerCaseHexDigits) {
    struct Case {
        std::uint16_t id;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {0x0409, L"0409"}, {0x0411, L"0411"}, {0x0804, L"0804"}, {0x0C04, L"0c04"},
        {0x1009, L"1009"}, {0x0007, L"0007"}, {0xABCD, L"abcd"}, {0x0000, L"0000"},
    };
    for (const auto& c : cases) {
        OsFacts facts = Nt(5, 1);
        facts.languageId = c.id;
        EXPECT_EQ(Narrow(BuildMachineFacts(facts).m_szLanguageCode), Narrow(c.expected)) << "id " << c.id;
    }
}

TEST(BuildMachineFacts, LanguageIsLeftEmptyOnlyWhenTheVersionIsUnknown) {
    struct Case {
        const char* name;
        OsFacts facts;
        const wchar_t* expected;
    };
    OsFacts notNt = Nt(4, 10);
    notNt.platformId = 1;
    OsFacts queryFailed = Nt(5, 1);
    queryFailed.versionQueryOk = false;
    const Case cases[] = {
        {"windows 7 has no key but a language", Nt(6, 1), L"0409"},
        {"windows 2000 has no key but a language", Nt(5, 0), L"0409"},
        {"non-NT platform", notNt, L""},
        {"version query failed", queryFailed, L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Narrow(BuildMachineFacts(c.facts).m_szLanguageCode), Narrow(c.expected)) << c.name;
    }
}

// The log's line of the answers the key is built from; what the system did not answer is said so.
TEST(OsFactsText, EveryAnswerTheKeyIsBuiltFrom) {
    OsFacts xp64 = Server2003(kProductTypeWorkstation, true, false);
    xp64.isWow64ProcessAvailable = true;
    xp64.isWow64 = true;
    EXPECT_EQ(Narrow(OsFactsText(xp64)),
              "version 5.2, platform 2, product type 1, product info not available, native architecture 9, "
              "WOW64 yes, 64-bit process no, editions none, language 0x0409");
    OsFacts vista = Vista(0x1C);
    vista.is64BitProcess = true;
    vista.tabletPc = true;
    vista.mediaCenter = true;
    EXPECT_EQ(Narrow(OsFactsText(vista)),
              "version 6.0, platform 2, product type 1, product info 0x0000001C, native architecture not available, "
              "WOW64 not available, 64-bit process yes, editions Tablet PC + Media Center, language 0x0409");
    OsFacts unanswered;
    unanswered.productInfoAvailable = true;
    EXPECT_EQ(Narrow(OsFactsText(unanswered)),
              "version unknown, product info unknown, native architecture not available, WOW64 not available, "
              "64-bit process no, editions none, language 0x0000");
}

}  // namespace
}  // namespace tavelin
