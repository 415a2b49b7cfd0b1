#pragma once

// The shape of a program path, the same rules on every platform. A path names something
// only as a drive path ("c:", "c:\..." or "c:/...": one ASCII letter and a colon, then a
// separator or nothing) or, where the host has them, as a host path beginning with "/".
// Every other shape names nothing: relative paths, "c::\...", ":\...", a drive of more
// than one letter or with wildcards, UNC paths. Such a path is never resolved against
// the working folder.

#include <string_view>
#include <vector>

namespace pathshape {

enum class Shape { None, Drive, Host };

// A path holding a NUL is of no shape: the system call would cut it short.
Shape ShapeOf(std::string_view path);

bool IsSeparator(char c);

// The parts of a path after its drive ("c:") or its leading "/": backslash and slash
// both separate, doubled separators count as one, "." is dropped and ".." takes back the
// part before it, never climbing above the root.
std::vector<std::string_view> Parts(std::string_view path);

}  // namespace pathshape
