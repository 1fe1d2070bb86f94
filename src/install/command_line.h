// How an item's command text from the disc becomes a process to start: the command line (the
// program path quoted, its arguments after it) and the folder it runs in. Command texts are
// relative to the disc root and separate the program path from its arguments with "%%".
#pragma once

#include <string>

namespace tavelin {

// The disc root joined with the command text; the program path is quoted, and every "%%" of the
// command text closes the quote and leaves a blank before what follows.
std::wstring ComposeCommandLine(const std::wstring& discRoot, const std::wstring& commandText);

// The program part of a command text: everything before the first "%%" (the whole text when
// there is none), relative to the disc root.
std::wstring ProgramPathOf(const std::wstring& commandText);

// The disc root joined with the folder part of the program path (the text before the first "%%",
// trimmed). A path without a backslash is joined whole; a text with no path at all (only "%%"
// separators) gives the disc root.
std::wstring WorkingFolderOf(const std::wstring& discRoot, const std::wstring& commandText);

}  // namespace tavelin
