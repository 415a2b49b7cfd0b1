#pragma once

// Where the settings file lives. Beside the program whenever that folder can be written
// (a portable copy, the build folder); an installed copy's folder (/usr/bin) cannot be,
// so there it goes to the user's configuration folder, whose dosdevices/ also holds
// drives (see hostpath.h).

#include <string>
#include <string_view>

#include "fileservices/hostpath.h"

namespace hostpath {

// The folder of the settings file as a host path, never through the code page. POSIX: the
// program's folder when the user can write in it, else the configuration folder, made
// when missing; when that cannot be made either, the program's folder, where the write
// then fails silently. Windows: the same rule with %APPDATA%\norvik-prefs-editor for the
// configuration folder.
HostPath SettingsFolder();
// The host path of the file `name` (ASCII) in that folder.
HostPath SettingsFile(std::string_view name);

#ifndef _WIN32
// The program's folder in the user's configuration folder, as a host path:
// $XDG_CONFIG_HOME/norvik-prefs-editor, else ~/.config/norvik-prefs-editor. Empty when
// neither variable names an absolute folder. It need not exist.
std::string ConfigFolder();
#endif

}  // namespace hostpath
