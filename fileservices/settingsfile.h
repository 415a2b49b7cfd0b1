#pragma once

// The settings file: one value per key in an INI-style text file in the code page. The
// file is named by its host path (see hostpath.h): the program's own folders never pass
// through the code page. Failures turn into a result, never a throw.

#include <string>
#include <string_view>

#include "fileservices/hostpath.h"

namespace FileMisc {

// The value of `key` in `[section]` of the settings file, at most 254 characters;
// the empty text when the file, the section or the key is missing. Section and key
// names compare without regard to ASCII case; blanks around the value are dropped.
std::string ReadIniValue(std::string_view section, std::string_view key,
                         const hostpath::HostPath& file);

// Creates the file, the section or the key when missing, or replaces the key's value.
// Every other line of the file stays as it was. The file is replaced atomically; one
// that is marked read-only (or is no ordinary file) is left alone.
// A value is cut at its first CR or LF, so it can never add lines. Failures are silent.
void WriteIniValue(std::string_view section, std::string_view key, std::string_view value,
                   const hostpath::HostPath& file);

}  // namespace FileMisc
