#pragma once

// The program speaks Windows paths ("c:\vandrel\norvik2\gamedata"). On a POSIX system
// this layer maps them onto the host file system: drive letters through dosdevices/
// folders, backslash or slash as separators, a case-insensitive fallback per part.
// All program paths are code-page text (see codepage.h); host paths are UTF-8.

#include <optional>
#include <string>
#include <string_view>

namespace hostpath {

// The folder that holds the running executable, as a host path without a trailing
// slash ("/opt/norvik").
std::string ExecutableFolder();

// The same folder as program text (code page), the way the program names it when it
// builds the path of its settings file.
std::string ProgramFolder();

// Replaces the folder of the executable (tests place a dosdevices/ folder in a
// throw-away folder). An empty folder restores the real one.
void OverrideExecutableFolder(std::string hostFolder);

// Maps a program path to a host path. The parts that exist are looked up exactly
// first and then without regard to case; the parts that do not exist (a file about
// to be created) are appended as given. Gives nothing for a path of an invalid shape
// (relative, "c::\...", ":\...", UNC, a drive of more than one letter) and for a drive
// that has no root folder. ".." never climbs above the drive's root.
std::optional<std::string> ToHostPath(std::string_view programPath);

}  // namespace hostpath
