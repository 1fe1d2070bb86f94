#include "config/catalogue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>

#include "evaluate/evaluation_passes.h"
#include "fake_evaluation_inputs.h"
#include "temp_ini_file.h"

namespace tavelin {
namespace {

namespace fs = std::filesystem;

MachineFacts Machine(bool is64Bit, const wchar_t* languageCode = L"0409") {
    MachineFacts facts;
    facts.m_szOSKey = L"WNT_5.1_XP";
    facts.m_b64Bit = is64Bit;
    facts.m_szLanguageCode = languageCode;
    return facts;
}

LoadedCatalogue Load(const std::string& ini, bool is64Bit = false, const wchar_t* model = L"NB-100",
                     const wchar_t* languageCode = L"0409") {
    const TempIniFile file(ini);
    return LoadCatalogue(file.Config(), Machine(is64Bit, languageCode), model);
}

const CItem* FindItem(const LoadedCatalogue& catalogue, int number) {
    for (const auto& item : catalogue.m_pItemList) {
        if (item->m_nItemNo == number) return item.get();
    }
    return nullptr;
}

const std::string kTags =
    "[OS_Language_Tag]\n0409=ENG\n0411=JPN\nWNT_5.1_XP=Windows XP ; the display name\n";

TEST(LoadCatalogue, KeepsOnlyItemsForThisMachine) {
    struct Case {
        const char* name;
        std::string keys;
        bool is64Bit;
        bool kept;
    } const cases[] = {
        {"no filters", "", false, true},
        {"other models only", "Model=NB-200, NB-300\n", false, false},
        {"model in other case with blanks", "Model=NB-200 ,  nb-100 \n", false, true},
        {"single model", "Model=nb-100\n", false, true},
        {"both bitnesses on 32-bit", "System_Type=32BIT, 64BIT\n", false, true},
        {"both bitnesses on 64-bit", "System_Type=32BIT, 64BIT\n", true, true},
        {"64-bit only on 32-bit", "System_Type=64bit\n", false, false},
        {"64-bit only on 64-bit", "System_Type=64bit\n", true, true},
        {"32-bit only on 64-bit", "System_Type=32Bit\n", true, false},
        {"neither bitness word", "System_Type=AMD64\n", true, false},
        {"no title at all", "Title_ENG=\n", false, false},
        {"title under the fallback spelling", "Title_Eng=x\n", false, true},
    };
    for (const Case& c : cases) {
        const std::string base = c.keys.find("Title_") == std::string::npos ? "Title_ENG=Item\n" : "";
        const LoadedCatalogue catalogue =
            Load(kTags + "[Items]\nItem_Quantity=1\n[Item_1]\nType=DRIVER\n" + base + c.keys, c.is64Bit);
        EXPECT_EQ(catalogue.m_pItemList.size(), c.kept ? 1u : 0u) << c.name;
    }
}

const std::string kDisc = kTags +
    "[Driver_CD]\nWait_Time=7\n"
    "[Items]\nItem_Quantity=9\n"
    "[Item_1]\nType=driver\nTitle_ENG=Chipset\nTitle_JPN=Chipset JP\nDescription_ENG=Chip\n"
    "Slient_Install_Cmd=Drivers\\Chip\\setup.exe%%-s ; silent\nSlient_Uninstall_Cmd=un.exe\n"
    "HW_ID_Quantity=2\nHW_ID_1=pci\\ven_8086&dev_27d8\nVersion_1=6.14.10.6555\nDate_1=6-21-2006\n"
    "HW_ID_2=PCI\\VEN_8086&DEV_27DA\nIgnore_HW_Checking=1\nMicrosoftDriver=1\nWait_Time=5\nRescan=1\n"
    "Restart=1 ; yes\nIgnore_Version_Checking=true\nOS_Version=Windows XP, Windows Vista\nLanguage_ID=ENG, JPN\n"
    "DisplayVersion=6.14\nDependence=Item_4, Item_7\n"
    "[Item_3]\nType=Recommended_Application\nTitle_Eng=Player\nVersion=2.0a\nDate=1-1-2007\n"
    "Version_Path=SOFTWARE\\Maker\\Player\\Version\nGUID={123}\nWait_Time=2.5\nHW_ID_CheckRule=and\n"
    "Dependence=Foo, Item_7\nVisible_If_Item_Exist=Item_2\n"
    "Invisible_If_Item_Exist=Item_1\nInvisible_If_Item_Exist_Checkrule=and\n"
    "Visible_If_Item_Not_Exist=\nVisible_If_Item_Not_Exist_Checkrule=AND\n"
    "Invisible_If_Item_Not_Exist=Item_5, Foo\nInvisible_If_Item_Not_Exist_Checkrule=whatever\n"
    "[Item_4]\nType=OPTIONAL_APPLICATION\nTitle_ENG=Tool\nHW_ID_Quantity=1\nHW_ID_1=usb\\vid_1\n"
    "HW_ID_CheckRule=XOR\nDependence=Item_7, Foo\n"
    "[Item_5]\nType=HOTFIX\nTitle_ENG=KB1\nVersion_Path=SOFTWARE\\Updates\\KB1\nVersion=1\nDate=1-1-2001\n"
    "HW_ID_Quantity=1\nHW_ID_1=ACPI\\X\nHW_ID_CheckRule=Or\nDependence=item_7\n"
    "[Item_6]\nType=Driver_X\nTitle_ENG=Odd\nHW_ID_Quantity=3\nVersion=1.0\n"
    "[Item_7]\nType=DRIVER\nTitle_ENG=Audio\nHW_ID_Quantity=abc\nHW_ID_CheckRule=whatever\n"
    "[Item_8]\nType=DRIVER\nTitle_ENG=Lan\n"
    "[Item_9]\nType=OPTIONAL_APPLICATION\nTitle_ENG=Reader\nHW_ID_Quantity=\n";

TEST(LoadCatalogue, ReadsDiscLevelValuesAndKeepsItemNumbers) {
    const LoadedCatalogue catalogue = Load(kDisc);
    EXPECT_EQ(catalogue.m_szLanguageTag, L"ENG");
    EXPECT_EQ(catalogue.m_szOSDisplayName, L"Windows XP");
    EXPECT_EQ(catalogue.m_nDiscWaitTime, 7);
    EXPECT_EQ(catalogue.m_nItemQuantity, 9);
    std::vector<int> numbers;
    for (const auto& item : catalogue.m_pItemList) numbers.push_back(item->m_nItemNo);
    EXPECT_EQ(numbers, (std::vector<int>{1, 3, 4, 5, 6, 7, 8, 9})) << "Item_2 is missing and leaves a gap";
}

TEST(LoadCatalogue, ReadsADriver) {
    const LoadedCatalogue catalogue = Load(kDisc);
    const CItem& item = *FindItem(catalogue, 1);
    EXPECT_EQ(item.m_nType, ITEM_TYPE_DRIVER);
    EXPECT_EQ(item.m_strTitle, L"Chipset");
    EXPECT_EQ(item.m_strDescription, L"Chip");
    EXPECT_EQ(item.m_strInstallCmd, L"Drivers\\Chip\\setup.exe%%-s");
    EXPECT_EQ(item.m_strUninstallCmd, L"un.exe");
    EXPECT_EQ(item.m_nHwIdCount, 2);
    EXPECT_EQ(item.m_nHwIdCheckRule, HWID_RULE_OR) << "a driver without a rule is OR";
    ASSERT_EQ(item.m_pHwIdList.size(), 2u);
    ASSERT_EQ(item.m_pVersionList.size(), 2u);
    ASSERT_EQ(item.m_pDateList.size(), 2u);
    EXPECT_EQ(item.m_pHwIdList[0].m_strHwId, L"PCI\\VEN_8086&DEV_27D8");
    EXPECT_EQ(item.m_pHwIdList[1].m_nIndex, 2);
    EXPECT_EQ(item.m_pVersionList[0].m_strVersion, L"6.14.10.6555");
    EXPECT_EQ(item.m_pVersionList[1].m_strVersion, L"") << "missing Version_2 gives an empty record";
    EXPECT_EQ(item.m_pVersionList[1].m_nIndex, 2);
    EXPECT_EQ(item.m_pDateList[1].m_strDate, L"");
    EXPECT_TRUE(item.m_bIgnoreHwChecking);
    EXPECT_TRUE(item.m_bMicrosoftDriver);
    EXPECT_TRUE(item.m_bRescan);
    EXPECT_TRUE(item.m_bRestart);
    EXPECT_FALSE(item.m_bIgnoreVersionChecking) << "only 1 sets a flag";
    EXPECT_EQ(item.m_nWaitTime, 5000);
    EXPECT_EQ(item.m_strOSVersion, L"Windows XP, Windows Vista");
    ASSERT_EQ(item.m_pLanguageList.size(), 2u);
    EXPECT_EQ(item.m_pLanguageList[1].m_nIndex, 1);
    EXPECT_EQ(item.m_pLanguageList[1].m_strLanguage, L"JPN");
    EXPECT_EQ(item.m_strDisplayVersion, L"6.14");
    EXPECT_EQ(item.m_arrDependence, (std::vector<std::uint32_t>{4, 7}));
    EXPECT_TRUE(item.m_arrVisibleIfExist.empty());
    EXPECT_EQ(item.m_strVisibleIfExistRule, L"");
    // Result flags start at their initial values.
    EXPECT_TRUE(item.m_bHwFound);
    EXPECT_FALSE(item.m_bInstalled);
    EXPECT_FALSE(item.m_bVersionResult);
    EXPECT_EQ(item.m_nListRow, -1);
}

TEST(LoadCatalogue, ReadsApplicationsAndHotfixes) {
    const LoadedCatalogue catalogue = Load(kDisc);
    const CItem& app = *FindItem(catalogue, 3);
    EXPECT_EQ(app.m_nType, ITEM_TYPE_RECOMMENDED_APP);
    EXPECT_EQ(app.m_strTitle, L"Player") << "title from the fallback key";
    EXPECT_EQ(app.m_strDescription, L"");
    ASSERT_EQ(app.m_pVersionList.size(), 1u);
    EXPECT_EQ(app.m_pVersionList[0].m_strVersion, L"2.0A");
    EXPECT_EQ(app.m_pVersionList[0].m_nIndex, 1);
    ASSERT_EQ(app.m_pDateList.size(), 1u);
    EXPECT_EQ(app.m_strVersionPath, L"SOFTWARE\\Maker\\Player\\Version");
    EXPECT_EQ(app.m_strGUID, L"{123}");
    EXPECT_EQ(app.m_nWaitTime, 2000);
    EXPECT_EQ(app.m_nHwIdCheckRule, HWID_RULE_AND);
    EXPECT_EQ(app.m_nHwIdCount, 0);
    EXPECT_TRUE(app.m_pHwIdList.empty());
    EXPECT_EQ(app.m_arrDependence, (std::vector<std::uint32_t>{0, 7}));
    EXPECT_EQ(app.m_arrVisibleIfExist, (std::vector<std::uint32_t>{2}));
    EXPECT_EQ(app.m_strVisibleIfExistRule, L"OR") << "a list without rule is OR";
    EXPECT_EQ(app.m_strInvisibleIfExistRule, L"and") << "the rule as written";
    EXPECT_TRUE(app.m_arrVisibleIfNotExist.empty());
    EXPECT_EQ(app.m_strVisibleIfNotExistRule, L"") << "no list, no rule";
    EXPECT_EQ(app.m_arrInvisibleIfNotExist, (std::vector<std::uint32_t>{5}));
    EXPECT_EQ(app.m_strInvisibleIfNotExistRule, L"whatever");

    const CItem& tool = *FindItem(catalogue, 4);
    EXPECT_EQ(tool.m_nType, ITEM_TYPE_OPTIONAL_APP);
    EXPECT_EQ(tool.m_nHwIdCheckRule, HWID_RULE_NONE) << "an application's unknown rule is 0";
    ASSERT_EQ(tool.m_pHwIdList.size(), 1u);
    EXPECT_EQ(tool.m_pHwIdList[0].m_strHwId, L"USB\\VID_1");
    EXPECT_EQ(tool.m_pVersionList.size(), 1u) << "an empty Version still gives a record";
    EXPECT_EQ(tool.m_arrDependence, (std::vector<std::uint32_t>{7}));

    const CItem& hotfix = *FindItem(catalogue, 5);
    EXPECT_EQ(hotfix.m_nType, ITEM_TYPE_HOTFIX);
    EXPECT_EQ(hotfix.m_nHwIdCheckRule, HWID_RULE_OR);
    EXPECT_EQ(hotfix.m_pHwIdList.size(), 1u);
    ASSERT_EQ(hotfix.m_pVersionList.size(), 1u);
    EXPECT_EQ(hotfix.m_pVersionList[0].m_strVersion, L"1");
    EXPECT_TRUE(hotfix.m_pDateList.empty()) << "a hotfix has no date";
    EXPECT_EQ(hotfix.m_strVersionPath, L"SOFTWARE\\Updates\\KB1");
    EXPECT_TRUE(hotfix.m_arrDependence.empty()) << "Item_ is case-sensitive";

    const CItem& odd = *FindItem(catalogue, 6);
    EXPECT_EQ(odd.m_nType, ITEM_TYPE_UNKNOWN);
    EXPECT_EQ(odd.m_nHwIdCount, 0) << "unknown types read no type-specific keys";
    EXPECT_TRUE(odd.m_pVersionList.empty());
    EXPECT_EQ(odd.m_nHwIdCheckRule, HWID_RULE_NONE);

    const CItem& audio = *FindItem(catalogue, 7);
    EXPECT_EQ(audio.m_nHwIdCount, 0) << "a quantity that is not a number";
    EXPECT_EQ(audio.m_nHwIdCheckRule, HWID_RULE_OR);
    EXPECT_EQ(FindItem(catalogue, 8)->m_nHwIdCheckRule, HWID_RULE_OR);
    EXPECT_EQ(FindItem(catalogue, 9)->m_nHwIdCheckRule, HWID_RULE_NONE);
}

TEST(LoadCatalogue, LocalizedTitlesAndDescriptions) {
    const std::string items =
        "[Items]\nItem_Quantity=2\n"
        "[Item_1]\nTitle_ENG=English\nTitle_JPN=Japanese\nDescription_ENG=E\nDescription_JPN=J\n"
        "[Item_2]\nTitle_Eng=English\nDescription_ENG=E\n";
    struct Case {
        const char* name;
        const wchar_t* languageCode;
        const wchar_t* tag;
        const wchar_t* title1;
        const wchar_t* description1;
        const wchar_t* title2;
    } const cases[] = {
        {"mapped to ENG", L"0409", L"ENG", L"English", L"E", L"English"},
        {"mapped to JPN, falling back", L"0411", L"JPN", L"Japanese", L"J", L"English"},
        {"unmapped language", L"0407", L"", L"English", L"E", L"English"},
    };
    for (const Case& c : cases) {
        const LoadedCatalogue catalogue = Load(kTags + items, false, L"NB-100", c.languageCode);
        EXPECT_EQ(catalogue.m_szLanguageTag, c.tag) << c.name;
        ASSERT_EQ(catalogue.m_pItemList.size(), 2u) << c.name;
        EXPECT_EQ(catalogue.m_pItemList[0]->m_strTitle, c.title1) << c.name;
        EXPECT_EQ(catalogue.m_pItemList[0]->m_strDescription, c.description1) << c.name;
        EXPECT_EQ(catalogue.m_pItemList[1]->m_strTitle, c.title2) << c.name;
    }
}

TEST(LoadCatalogue, EmptyOrMissingQuantityGivesNoItems) {
    for (const char* quantity : {"", "Item_Quantity=\n", "Item_Quantity=0\n", "Item_Quantity=-5\n", "Item_Quantity=x\n"}) {
        const LoadedCatalogue catalogue = Load(std::string("[Items]\n") + quantity + "[Item_1]\nTitle_ENG=A\n");
        EXPECT_TRUE(catalogue.m_pItemList.empty()) << quantity;
    }
    const LoadedCatalogue noFile = LoadCatalogue(ConfigFile(fs::temp_directory_path() / "tavelin_no_such.ini"),
                                                 Machine(false), L"NB-100");
    EXPECT_TRUE(noFile.m_pItemList.empty());
    EXPECT_EQ(noFile.m_nDiscWaitTime, 0);
}

TEST(LoadCatalogue, TagsLongerThanTheirBufferAreCut) {
    const std::string longName(300, 'x');
    const LoadedCatalogue catalogue = Load("[OS_Language_Tag]\nWNT_5.1_XP=" + longName + "\n0409=" + longName + "\n");
    EXPECT_EQ(catalogue.m_szOSDisplayName.size(), 259u) << "259 characters and the terminator";
    EXPECT_EQ(catalogue.m_szLanguageTag.size(), 259u) << "259 characters and the terminator";
}

TEST(LoadCatalogue, ReadsExitCodesOfAnyTypeAndSaysWhyItemsWereDropped) {
    const LoadedCatalogue catalogue =
        Load(kTags + "[Items]\nItem_Quantity=4\n"
                     "[Item_1]\nType=HOTFIX\nTitle_ENG=A\nSuccess_Exit_Codes=0, 3010\nRestart_Exit_Codes=3010,1641\n"
                     "[Item_2]\nType=Utility\nTitle_ENG=B\nRestart_Exit_Codes=0x0BC2\n"
                     "[Item_3]\nTitle_ENG=C\nModel=NB-200, NB-300\n"
                     "[Item_4]\nTitle_ENG=D\nSystem_Type=64bit\n");
    ASSERT_EQ(catalogue.m_pItemList.size(), 2u);
    EXPECT_EQ(catalogue.m_pItemList[0]->m_arrSuccessCodes, (std::vector<std::uint32_t>{0, 3010}));
    EXPECT_EQ(catalogue.m_pItemList[0]->m_arrRestartCodes, (std::vector<std::uint32_t>{3010, 1641}));
    EXPECT_TRUE(catalogue.m_pItemList[1]->m_arrSuccessCodes.empty());
    EXPECT_EQ(catalogue.m_pItemList[1]->m_arrRestartCodes, (std::vector<std::uint32_t>{3010}));
    ASSERT_EQ(catalogue.m_droppedItems.size(), 2u);
    EXPECT_EQ(catalogue.m_droppedItems[0].itemNo, 3);
    EXPECT_EQ(catalogue.m_droppedItems[0].reason, DropReason::Model);
    EXPECT_EQ(catalogue.m_droppedItems[0].value, L"NB-200, NB-300");
    EXPECT_EQ(catalogue.m_droppedItems[1].itemNo, 4);
    EXPECT_EQ(catalogue.m_droppedItems[1].reason, DropReason::Bitness);
}

// Install_Timeout, for each item and as the disc's default: seconds from the leading digits, as
// every number of the disc is read; what gives none is no limit at all.
TEST(LoadCatalogue, ReadsTimeLimitsOfTheDiscAndOfEachItem) {
    struct Case {
        const char* discValue;  // nullptr: no key
        const char* itemValue;
        std::uint32_t disc;
        std::uint32_t item;
    };
    const Case cases[] = {
        {nullptr, nullptr, 0, 0},
        {"1800", "300", 1800, 300},
        {" 60 ; an hour is too long", "5 s", 60, 5},
        {"0", "-5", 0, 0},
        {"soon", "", 0, 0},
        {"99999999999", "2147483648", 2147483647u, 2147483647u},
    };
    for (const Case& c : cases) {
        std::string disc = std::string("[Driver_CD]\n") + (c.discValue ? std::string("Install_Timeout=") + c.discValue + "\n" : "");
        const LoadedCatalogue catalogue =
            Load(disc + kTags + "[Items]\nItem_Quantity=1\n[Item_1]\nType=DRIVER\nTitle_ENG=A\n" +
                 (c.itemValue ? std::string("Install_Timeout=") + c.itemValue + "\n" : ""));
        ASSERT_EQ(catalogue.m_pItemList.size(), 1u);
        EXPECT_EQ(catalogue.m_nDiscInstallTimeout, c.disc) << (c.discValue ? c.discValue : "none");
        EXPECT_EQ(catalogue.m_pItemList[0]->m_nInstallTimeout, c.item) << (c.itemValue ? c.itemValue : "none");
    }
}

TEST(ParseItemNumberList, Table) {
    using List = std::vector<std::uint32_t>;
    struct Case {
        const wchar_t* value;
        List expected;
    } const cases[] = {
        {L"Item_4, Item_7", {4, 7}},
        {L"Foo, Item_7", {0, 7}},
        {L"Item_7, Foo", {7}},
        {L"item_7", {}},
        {L"", {}},
        {L"Item_12", {12}},
        {L",Item_3,,Item_5,", {3, 5}},
        {L"Item_x, Item_2", {0, 2}},
        {L"Item_-1", {0xFFFFFFFFu}},
        {L" Item_9 ", {}},  // a single entry keeps its blanks, so it does not begin with Item_
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseItemNumberList(c.value), c.expected) << testing::PrintToString(std::wstring(c.value));
    }
}

// The bounds keep a damaged file from hanging the program; every count up to them is exact.
TEST(LoadCatalogue, ItemCountBound) {
    struct Case {
        int quantity;
        bool lastItemLoaded;
    } const cases[] = {
        {kMaxCatalogueItems, true},
        {kMaxCatalogueItems + 1, false},
    };
    for (const Case& c : cases) {
        const std::string n = std::to_string(c.quantity);
        const LoadedCatalogue catalogue =
            Load("[Items]\nItem_Quantity=" + n + "\n[Item_1]\nTitle_ENG=A\n[Item_" + n + "]\nTitle_ENG=B\n");
        EXPECT_EQ(catalogue.m_nItemQuantity, c.quantity);
        EXPECT_EQ(catalogue.m_pItemList.size(), c.lastItemLoaded ? 2u : 1u) << c.quantity;
    }
    // Unbounded, this would read two billion sections.
    const LoadedCatalogue huge = Load("[Items]\nItem_Quantity=2147483647\n[Item_1]\nTitle_ENG=A\n");
    EXPECT_EQ(huge.m_nItemQuantity, 2147483647);
    EXPECT_EQ(huge.m_pItemList.size(), 1u);
}

TEST(LoadCatalogue, HardwareIdCountBound) {
    const std::string bound = std::to_string(kMaxHardwareIdsPerItem);
    const std::string beyond = std::to_string(kMaxHardwareIdsPerItem + 1);
    const std::size_t records = static_cast<std::size_t>(kMaxHardwareIdsPerItem);
    struct Case {
        std::string quantity;
        int expectedCount;
        std::size_t expectedRecords;
    } const cases[] = {
        {bound, kMaxHardwareIdsPerItem, records},
        {beyond, kMaxHardwareIdsPerItem + 1, records},
        {"99999999999", 2147483647, records},
        {"-3", -3, 0},
    };
    for (const Case& c : cases) {
        const LoadedCatalogue catalogue =
            Load("[Items]\nItem_Quantity=1\n[Item_1]\nType=DRIVER\nTitle_ENG=A\nHW_ID_Quantity=" + c.quantity +
                 "\nHW_ID_" + bound + "=PCI\\LAST\nVersion_" + bound + "=9.9\nHW_ID_" + beyond + "=PCI\\BEYOND\n");
        ASSERT_EQ(catalogue.m_pItemList.size(), 1u) << c.quantity;
        const CItem& item = *catalogue.m_pItemList[0];
        EXPECT_EQ(item.m_nHwIdCount, c.expectedCount) << c.quantity;
        ASSERT_EQ(item.m_pHwIdList.size(), c.expectedRecords) << c.quantity;
        EXPECT_EQ(item.m_pVersionList.size(), c.expectedRecords) << c.quantity;
        EXPECT_EQ(item.m_pDateList.size(), c.expectedRecords) << c.quantity;
        if (c.expectedRecords == records) {
            EXPECT_EQ(item.m_pHwIdList.back().m_strHwId, L"PCI\\LAST") << c.quantity;
            EXPECT_EQ(item.m_pVersionList.back().m_strVersion, L"9.9") << c.quantity;
        }
    }
}

// Several items together get no more records than the catalogue-wide bound: the item that reaches
// it gets what is left, the ones after it none, and everything up to the bound is exact.
TEST(LoadCatalogue, CatalogueWideHardwareIdBound) {
    const int perItem = kMaxHardwareIdsPerItem;
    const int fullItems = static_cast<int>(kMaxHardwareIdsPerCatalogue / perItem);
    const int leftOver = static_cast<int>(kMaxHardwareIdsPerCatalogue % perItem);
    std::string ini = "[Items]\nItem_Quantity=" + std::to_string(fullItems + 2) + "\n";
    for (int n = 1; n <= fullItems + 2; ++n) {
        ini += "[Item_" + std::to_string(n) + "]\nType=DRIVER\nTitle_ENG=T\nHW_ID_Quantity=" +
               std::to_string(n == fullItems ? perItem - 1 : perItem) + "\nHW_ID_1=PCI\\ITEM" + std::to_string(n) + "\n";
    }
    const LoadedCatalogue catalogue = Load(ini);
    ASSERT_EQ(catalogue.m_pItemList.size(), static_cast<std::size_t>(fullItems + 2));
    for (int n = 1; n <= fullItems + 2; ++n) {
        const std::size_t expected = n < fullItems ? perItem : n == fullItems ? perItem - 1 : n == fullItems + 1 ? leftOver + 1 : 0;
        const CItem& item = *catalogue.m_pItemList[static_cast<std::size_t>(n - 1)];
        EXPECT_EQ(item.m_pHwIdList.size(), expected) << "item " << n;
        EXPECT_EQ(item.m_nHwIdCount, n == fullItems ? perItem - 1 : perItem) << "item " << n;
    }
}

// A 5 KB file of a hundred sections, each claiming a hundred thousand hardware ids it does not list. Each
// record costs a question to the device libraries, which walk every device of the machine; so
// few records may be created that the window comes up within seconds on any machine, and ids
// that all read as the same empty text are asked for once.
TEST(LoadCatalogue, HostileCatalogueStaysSmallAndCheap) {
    std::string ini = "[Items]\nItem_Quantity=2147483647\n";
    for (int n = 1; n <= 100; ++n) {
        ini += "[Item_" + std::to_string(n) + "]\nType=DRIVER\nTitle_ENG=T\nHW_ID_Quantity=99999\n";
    }
    ASSERT_LT(ini.size(), 6000u);
    LoadedCatalogue catalogue = Load(ini);
    std::size_t records = 0;
    for (const auto& item : catalogue.m_pItemList) records += item->m_pHwIdList.size();
    EXPECT_EQ(catalogue.m_pItemList.size(), 100u);
    // A few thousand questions at a few milliseconds each are the most a startup can afford.
    EXPECT_LE(records, 4096u);

    FixedHardware hardware;
    DecisionBook decisions;
    DetectDevicePresence(catalogue.m_pItemList, hardware, decisions);
    EXPECT_EQ(hardware.asked, std::vector<std::wstring>{L""});
}

}  // namespace
}  // namespace tavelin
