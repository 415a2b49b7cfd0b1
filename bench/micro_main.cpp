// Calls one small routine many times, for instruction counts under callgrind:
//
//   valgrind --tool=callgrind --collect-atstart=no --toggle-collect=ROUTINE
//       norvik-bench-micro CASE COUNT
//
// collects the routine's own instructions and those of everything it calls, and nothing
// else; the total divided by COUNT is the count per call. Run it with LD_BIND_NOW=1, so
// that no call pays for resolving a library symbol on first use.
// `norvik-bench-micro list` prints each case with the routine to toggle on.

#include <QString>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "editor/text.h"
#include "fileservices/codepage.h"
#include "fileservices/findfile.h"

namespace {

// A script line as the game writes it, with two characters above ASCII.
constexpr std::string_view kLine = "$pref::Player::name = \"S\xE9verine \x80 Rook\";";
const std::u16string kLineText = codepage::Decode(kLine);
constexpr std::string_view kHostName = "Caf\xC3\xA9Prefs.cs";  // UTF-8

volatile std::size_t sink;  // keeps the calls from being optimised away

struct Case {
  const char* name;
  const char* routine;  // the function callgrind collects, as a --toggle-collect pattern
  const char* what;     // for the report
  void (*run)();
};

const Case kCases[] = {
    {"wildcard-match", "FindFileRecursive::WildcardMatch*",
     "WildcardMatch(\"ClientPrefs.cs\", \"*Prefs.cs\")",
     [] { sink = sink + FindFileRecursive::WildcardMatch("ClientPrefs.cs", "*Prefs.cs"); }},
    {"wildcard-miss", "FindFileRecursive::WildcardMatch*",
     "WildcardMatch(\"terrain_0042.dts\", \"*Prefs.cs\")",
     [] { sink = sink + FindFileRecursive::WildcardMatch("terrain_0042.dts", "*Prefs.cs"); }},
    {"wildcard-set", "FindFileRecursive::WildcardMatch*",
     "WildcardMatch(\"mission12.mis\", \"[a-m]*##.mi?\")",
     [] { sink = sink + FindFileRecursive::WildcardMatch("mission12.mis", "[a-m]*##.mi?"); }},
    {"decode", "codepage::Decode*", "codepage::Decode, 43-byte line",
     [] { sink = sink + codepage::Decode(kLine).size(); }},
    {"encode", "codepage::Encode*", "codepage::Encode, 43-character line",
     [] { sink = sink + codepage::Encode(kLineText).size(); }},
    {"from-codepage", "editor::FromCodePage*", "editor::FromCodePage (bytes to QString), 43 bytes",
     [] { sink = sink + static_cast<std::size_t>(editor::FromCodePage(kLine).size()); }},
    {"to-codepage", "editor::ToCodePage*", "editor::ToCodePage (QString to bytes), 43 characters",
     [] {
       static const QString text = editor::FromCodePage(kLine);
       sink = sink + editor::ToCodePage(text).size();
     }},
    {"from-utf8", "codepage::FromUtf8*", "codepage::FromUtf8, 14-byte host name",
     [] { sink = sink + codepage::FromUtf8(kHostName).size(); }},
    {"to-utf8", "codepage::ToUtf8*", "codepage::ToUtf8, 43-byte line",
     [] { sink = sink + codepage::ToUtf8(kLine).size(); }},
};

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "list") == 0) {
    for (const Case& c : kCases) std::printf("%s\t%s\t%s\n", c.name, c.routine, c.what);
    return 0;
  }
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s list | CASE COUNT\n", argv[0]);
    return 2;
  }
  const long count = std::atol(argv[2]);
  for (const Case& c : kCases) {
    if (std::strcmp(c.name, argv[1]) != 0) continue;
    for (long i = 0; i < count; ++i) c.run();
    return 0;
  }
  std::fprintf(stderr, "unknown case %s\n", argv[1]);
  return 2;
}
