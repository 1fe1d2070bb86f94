// The catalogue as the program reads it on every machine it could meet: the program's own readers
// (the disc checks, the title, the catalogue loader) run once per language, machine model and
// bitness the disc names, while an observer notes each section and key they look at. What the
// checks know of the program's reading comes from here, never from a list of their own.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "config/catalogue.h"
#include "config/config_file.h"
#include "config/profile_outline.h"
#include "authoring/read_recorder.h"

namespace tavelin {

struct CatalogueSurvey {
    ReadMap reads;
    // Every item number the loader kept on some machine, as first loaded.
    std::map<std::int32_t, std::unique_ptr<CItem>> items;
    // Item numbers no machine keeps, with the reason of the last attempt.
    std::map<std::int32_t, DroppedItem> neverLoaded;
    int itemQuantity = 0;
    // Language code -> the disc's tag for it, from "OS_Language_Tag".
    std::map<std::wstring, std::wstring> languageTags;
    // Values of "OS_Language_Tag" whose key is an OS key: the names OS lists may use.
    std::vector<std::wstring> osNames;

    bool WasRead(const std::wstring& section, const std::wstring& key) const;
    bool WasRead(const std::wstring& section) const;
};

CatalogueSurvey SurveyCatalogue(ConfigFile& config, const ProfileOutline& outline);

// Every OS key the program can build from what Windows answers.
const std::set<std::wstring>& KnownOsKeys();
// Four hexadecimal digits: the form of a user-interface language code (compared without regard to
// case, as the reader compares key names).
bool IsLanguageCodeKey(const std::wstring& key);


}  // namespace tavelin
