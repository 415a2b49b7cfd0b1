#pragma once

// Recursive file search below a folder, with the program's wildcard grammar.

#include <string>
#include <string_view>
#include <vector>

namespace FindFileRecursive {

// Appends to `results` the full path of every file below `folder` (at any depth)
// whose folder (with its trailing backslash) matches `folderPattern` and whose name
// matches `namePattern`. `folder` is completed with a backslash when it lacks one,
// also for the caller. Depth-first; each folder's entries in case-insensitive name
// order, ties in byte order, the same on every platform. Folders that cannot be read add
// nothing. Symbolic links (and on Windows junctions) count as what they point at, but a
// link leads into a folder only when the search has not been in it yet: link loops end,
// and links cannot multiply the work. The tree's own folders are always searched. Only
// regular files are results (no FIFOs, sockets, devices or dangling links); hidden and
// system files count like any other. Names come back as code-page text; a name the code
// page cannot hold is left out, and so is a name holding a backslash (POSIX): no program
// path could name either of them.
void FindFiles(std::string& folder, std::string_view folderPattern,
               std::string_view namePattern, std::vector<std::string>& results);

// The part of `buffer` before its first NUL; the whole buffer when it holds none.
std::string StripNul(std::string_view buffer);

// Whole-text wildcard match, case-sensitive, by byte value:
//   ?  one character        *  any run, empty included     #  one digit 0-9
//   [list] one character in the list ("a-z" is a range)   [!list] one not in it
//   any other character matches itself.
bool WildcardMatch(std::string_view text, std::string_view pattern);

}  // namespace FindFileRecursive
