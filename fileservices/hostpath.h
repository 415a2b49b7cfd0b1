#pragma once

// The program speaks Windows paths ("c:\vandrel\norvik2\gamedata"), in the code page (see
// codepage.h); this layer turns them into the host's own paths. The shape rules are the
// same everywhere (see pathshape.h).
//
// POSIX: drive letters map through dosdevices/ folders, backslash or slash separate, each
// part falls back to a case-insensitive match, and a path beginning with "/" is already a
// host path. Host paths are UTF-8.
// Windows: a drive letter is a real drive and letter case is the file system's. Host paths
// are UTF-16 in the long form ("\\?\C:\..."), so no length limit or device name applies.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hostpath {

#ifdef _WIN32
using HostPath = std::wstring;
#else
using HostPath = std::string;
#endif

// The folder that holds the running executable, as a host path without a trailing
// separator ("/opt/norvik", "C:\Games\Norvik").
HostPath ExecutableFolder();

// Replaces the folder of the executable (tests place a dosdevices/ folder in a
// throw-away folder). An empty folder restores the real one.
void OverrideExecutableFolder(HostPath hostFolder);

#ifdef _WIN32
// Replaces the real drives (tests): drive x: is then the folder drive_x in `hostFolder`,
// whether or not it exists, but for paths into `hostFolder` itself, which keep their real
// drive. An empty folder restores the real drives.
void OverrideDriveFolders(HostPath hostFolder);
#endif

#ifndef _WIN32
// The places where drive `letter` may have its root, in the order they are tried:
// dosdevices/x: (x the lower-case letter) in the executable's folder, in the configuration
// folder (see settingsfolder.h), then in the Wine prefix ($WINEPREFIX, else ~/.wine; never
// a relative one). The drive's root is the first of them that is a folder.
std::vector<HostPath> DriveRootCandidates(char letter);

// The parts of the program path `relative` below the host folder `root`, looked up as
// ToHostPath looks up those below a drive's root; the root itself is a host name as it
// stands, never through the code page.
HostPath ToHostPathBelow(const HostPath& root, std::string_view relative);
#endif

// Maps a program path to a host path. Gives nothing for a path of an invalid shape and,
// on POSIX, for a drive that has no root folder. ".." never climbs above the drive's root.
// POSIX: the parts that exist are looked up exactly first and then without regard to case;
// the parts that do not exist (a file about to be created) are appended as given.
std::optional<HostPath> ToHostPath(std::string_view programPath);

}  // namespace hostpath
