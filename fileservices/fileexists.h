#pragma once

#include <string_view>

namespace FileMisc {

// True when a regular file is found at the program path `path` (symbolic links
// followed). Folders, missing drives and paths of an invalid shape give false, and so do
// hidden and system files on Windows (POSIX has no such files).
bool FileExists(std::string_view path);

}  // namespace FileMisc
