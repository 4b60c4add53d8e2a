#pragma once
// The folder of the program file, where the settings, feeds, templates,
// skins, help pages and dictionaries live.

#include <string>

namespace core {

// The folder of the running program with a trailing "/", as the file system
// spells it (case kept: the file system is case-sensitive).
std::string ProgramFolder();

// Makes ProgramFolder answer `folder` (a trailing "/" is added when missing);
// an empty text goes back to the folder of the running program. For tests.
void SetProgramFolder(const std::string& folder);

}  // namespace core
