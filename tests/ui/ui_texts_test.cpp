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

}  // namespace
}  // namespace tavelin
