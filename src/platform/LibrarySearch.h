#pragma once
// Where this process may load libraries from. The program runs elevated, so a library found
// in the working folder or a folder on PATH, which any user may write to, would run with an
// administrator's rights.
#include <windows.h>

// Limits every later search by name to the program's own folder and the system folder.
// Called before anything loads a library; SetDefaultDllDirectories is looked up, since
// Windows 7 without update KB2533623 lacks it, and then only the working folder leaves the
// search. False when neither could be done.
bool RestrictLibrarySearch() noexcept;

// A library of the system, from the system folder only, whatever the search order; null
// when it is not there (shcore.dll on Windows 7).
HMODULE LoadSystemLibrary(const wchar_t* name) noexcept;
