// What the user is told when a run cannot go on as planned: closing during a run, a run stopped by
// an error, a restart whose resume could not be stored. The program's own English texts; they are
// not among the language library's texts, which a disc translates.
#pragma once

#include <string>
#include <vector>

#include "config/catalogue.h"

namespace tavelin {

// The titles of the items a waiting list names ("4@7@12"), in the list's order; a number without
// an item is shown as "Item <n>" so that nothing that waits goes unmentioned.
std::vector<std::wstring> TitlesOfWaitingList(const ItemList& items, const std::wstring& waitingList);

// Yes stops the run after the item being installed and ends the program.
std::wstring StopRunQuestionText();
// The run stopped on request but its rest could not be stored.
std::wstring StoppedRunNotStoredText(const std::vector<std::wstring>& waitingTitles);
// An error ended the run.
std::wstring RunStoppedByErrorText(const std::vector<std::wstring>& notRunTitles);
// A restart item asked for a restart, but the resume could not be stored: Windows is not restarted.
std::wstring RestartNotStoredText(const std::vector<std::wstring>& waitingTitles);
// A stored run was not resumed: the disc's catalogue changed since the run began.
std::wstring CatalogueChangedText();

// Windows refused the restart: the items left (none, when the restart only finishes what was
// installed) are installed after a restart the user makes.
std::wstring RestartRefusedText(const std::vector<std::wstring>& waitingTitles);
// Shown before Start when Windows already waited for a restart at the program's start.
std::wstring RestartAlreadyPendingText();
// A record written by another disc: Yes installs this disc's items of the same numbers.
std::wstring OtherDiscResumeQuestionText(const std::vector<std::wstring>& waitingTitles);

}  // namespace tavelin
