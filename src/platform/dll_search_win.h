// Where the program's process looks for DLLs. setup.exe runs as administrator from folders that
// others can often write (a USB stick, a copied disc, a download folder), so a DLL planted beside it
// or in the current directory must never be loaded in its place.
#pragma once

#include <windows.h>

#include <string>

namespace tavelin {

// Called first thing at startup, before any DLL is loaded on demand: removes the current directory
// from the search and, where Windows has SetDefaultDllDirectories (Windows 8, and Vista and 7 with
// its update; looked up at run time, XP lacks it), limits the default search to the system folder.
// Returns whether the default search was limited.
bool RestrictDllSearchToSystemFolder();

// Loads a library of the disc by its full path, its own dependencies taken from its folder (then the
// system folder) rather than from the program's folder or the current directory.
HMODULE LoadLibraryBesideItsDependencies(const std::wstring& fullPath);

// Maps a library that only carries resources (texts) without running any of its code.
HMODULE LoadResourceOnlyLibrary(const std::wstring& fullPath);

}  // namespace tavelin
