// The user-interface texts: from the language library where it has them, from the program's own
// string table for every text it lacks or leaves empty.
#include <gtest/gtest.h>

#include "platform/handles.h"
#include "ui/resource.h"
#include "ui/ui_texts.h"

namespace tavelin {
namespace {

TEST(UiTexts, TranslationsWithTheProgramsOwnTextsForWhatTheyLack) {
    HINSTANCE program = GetModuleHandleW(nullptr);  // carries the program's string table
    UniqueModule partial(LoadLibraryW(L"" TAVELIN_PARTIAL_LANGUAGE_DLL));
    ASSERT_TRUE(partial.Valid()) << TAVELIN_PARTIAL_LANGUAGE_DLL;

    UiTexts texts;
    texts.Load(partial.Get(), program);
    const struct {
        int id;
        const wchar_t* expected;
        const char* why;
    } cases[] = {
        {IDS_START, L"Starten", "translated"},
        {IDS_DEFAULT, L"Default", "missing from the library"},
        {IDS_INSTALLING, L"Installing", "empty in the library"},
        {IDS_SUITABLE_OS, L"Geeignete Systeme :", "translated, its blanks dropped"},
    };
    for (const auto& c : cases) EXPECT_EQ(texts.Get(c.id), c.expected) << c.why;

    UiTexts english;
    english.Load(nullptr, program);
    EXPECT_EQ(english.Get(IDS_START), L"Start") << "no library: the program's own";
    EXPECT_EQ(english.Get(IDS_SUITABLE_OS), L"Suitable OS for this driver disk :");
    EXPECT_EQ(english.Get(IDS_ABOUTBOX), L"") << "not one of the 25 texts";
}

TEST(UiTexts, ReasonsTranslatedWhereTheLibraryHasThemAndInEnglishOtherwise) {
    HINSTANCE program = GetModuleHandleW(nullptr);
    UniqueModule partial(LoadLibraryW(L"" TAVELIN_PARTIAL_LANGUAGE_DLL));
    ASSERT_TRUE(partial.Valid()) << TAVELIN_PARTIAL_LANGUAGE_DLL;

    UiTexts texts;
    texts.Load(partial.Get(), program);
    const ReasonTexts english;
    const struct {
        ReasonText text;
        std::wstring expected;
        const char* why;
    } cases[] = {
        {ReasonText::OfferedDriverOlder, L"Angeboten: die Disc hat %3 vom %4, installiert ist %1 vom %2", "translated"},
        {ReasonText::GreyedSame, L"Grau: installiert, dieselbe Version wie auf der Disc", "translated"},
        {ReasonText::OfferedNotInstalled, english.Get(ReasonText::OfferedNotInstalled), "empty in the library"},
        {ReasonText::GreyedNewer, english.Get(ReasonText::GreyedNewer), "missing from the library"},
        {ReasonText::UnknownValue, L"unbekannt", "translated, the last id"},
    };
    for (const auto& c : cases) EXPECT_EQ(texts.Reasons().Get(c.text), c.expected) << c.why;

    // Loaded again without a library, the translations are gone.
    texts.Load(nullptr, program);
    EXPECT_EQ(texts.Reasons().Get(ReasonText::GreyedSame), english.Get(ReasonText::GreyedSame));
}

}  // namespace
}  // namespace tavelin
