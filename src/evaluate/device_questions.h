// The hardware ids an evaluation asks the device libraries about. They are known as soon as the
// catalogue is loaded, before any pass runs: the program hands them to a worker thread that asks
// the libraries while the installed-state pass reads the registry, and the presence pass then
// finds every answer waiting.
#pragma once

#include <string>
#include <vector>

#include "config/catalogue.h"

namespace tavelin {

// Whether the presence pass asks about the item's hardware ids: a driver's always, an
// application's or hotfix's when its count of ids is not zero; other kinds never.
bool AsksAboutDevices(const CItem& item);

// Every distinct id of those items, in the order the presence pass first meets it (an id missing
// from the file is the empty text, asked once like any other).
std::vector<std::wstring> DeviceQuestions(const ItemList& items);

}  // namespace tavelin
