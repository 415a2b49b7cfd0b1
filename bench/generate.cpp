// Writes the benchmark data: game folders of 1k, 10k and 100k files and prefs files of
// 1k, 100k and 1M lines plus one of a single 10 MB line. Everything is drawn from a
// fixed seed, so two machines benchmark the same trees and the same bytes.
//
//   norvik-bench-generate OUTDIR
//
// OUTDIR/games/g1k/drive_c/vandrel/norvik2/gamedata/...   (likewise g10k, g100k)
// OUTDIR/files/drive_c/vandrel/norvik2/gamedata/prefs/*Prefs.cs
// OUTDIR/manifest.tsv   one "key<TAB>value" line per figure the report needs
//
// A stamp file records the generator's version; data of the same version is kept.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr const char* kVersion = "norvik-bench-data 1";
constexpr const char* kGameData = "drive_c/vandrel/norvik2/gamedata";

// splitmix64: the same numbers on every platform and standard library.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // 0 to n-1.
  std::size_t Below(std::size_t n) { return static_cast<std::size_t>(Next() % n); }
  bool OneIn(std::size_t n) { return Below(n) == 0; }
  template <typename T, std::size_t N>
  const T& Pick(const T (&items)[N]) {
    return items[Below(N)];
  }

 private:
  std::uint64_t state_;
};

void WriteFile(const fs::path& path, const std::string& bytes) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) throw std::runtime_error("cannot create " + path.string());
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) throw std::runtime_error("cannot write " + path.string());
    done += static_cast<std::size_t>(n);
  }
  close(fd);
}

// --- Prefs lines ----------------------------------------------------------------------

const char* const kSections[] = {"Player",  "Video",  "Audio",    "Net",     "Input",
                                 "Server",  "Master", "Game",     "Terrain", "Interior",
                                 "Shadows", "OpenGL", "HUD",      "Chat",    "Mission",
                                 "Lighting", "Decal", "Environment"};
const char* const kWords[] = {"max",    "min",   "default", "client", "packet", "rate",
                              "size",   "volume", "channel", "detail", "texture", "mipmap",
                              "screen", "bits",  "speed",   "turn",   "mouse",   "invert",
                              "name",   "skin",  "voice",   "port",   "timeout", "visible",
                              "distance", "quality", "gamma", "fov",  "sensitivity", "enable"};
const char* const kStrings[] = {"Rook",        "1024 768 32",   "D3D",         "OpenGL",
                                "Lowland Run", "base.v12",      "S\xE9verine", "Bj\xF6rn",
                                "Caf\xE9 \x80 5", "Norvik\x99 Arena", "127.0.0.1:28000",
                                "scripts/autoexec.cs", "\x93quoted\x94", "en_GB"};

std::string Capitalised(const char* word) {
  std::string s = word;
  if (!s.empty() && s[0] >= 'a' && s[0] <= 'z') s[0] = static_cast<char>(s[0] - 32);
  return s;
}

// One script line like `$pref::Video::screenBits = 32;`, without its terminator.
std::string PrefLine(Random& r) {
  std::string line = "$pref::";
  line += r.Pick(kSections);
  line += "::";
  line += r.Pick(kWords);
  line += Capitalised(r.Pick(kWords));
  if (r.OneIn(3)) line += Capitalised(r.Pick(kWords));
  if (r.OneIn(6)) line += std::to_string(r.Below(16));
  line += " = ";
  switch (r.Below(5)) {
    case 0:
      line += std::to_string(r.Below(100000));
      break;
    case 1:
      line += std::to_string(r.Below(100)) + "." + std::to_string(r.Below(1000));
      break;
    case 2:
      line += r.OneIn(2) ? "1" : "0";
      break;
    case 3:
      line += "\"" + std::to_string(r.Below(4096)) + "\"";
      break;
    default:
      line += "\"" + std::string(r.Pick(kStrings)) + "\"";
      break;
  }
  line += ";";
  if (r.OneIn(25)) line += "   // set by the options dialog";
  if (r.OneIn(50)) line = "   " + line;  // indented lines keep their blanks
  return line;
}

// `scriptLines` script lines with blank lines mixed in, CR LF after each. Returns the
// number of lines written, blank ones included.
std::size_t WritePrefsFile(const fs::path& path, std::size_t scriptLines, std::uint64_t seed) {
  Random r(seed);
  std::string out;
  out.reserve(scriptLines * 48);
  std::size_t lines = 0;
  for (std::size_t i = 0; i < scriptLines; ++i) {
    if (r.OneIn(12)) {
      out += r.OneIn(4) ? "    \r\n" : "\r\n";  // empty, or spaces only
      ++lines;
    }
    out += PrefLine(r);
    out += "\r\n";
    ++lines;
  }
  WriteFile(path, out);
  return lines;
}

// --- Game folders ---------------------------------------------------------------------

const char* const kFolderNames[] = {"art",     "shapes",   "textures", "sound",   "music",
                                    "scripts", "client",   "server",   "ui",      "gui",
                                    "missions", "terrains", "interiors", "players", "vehicles",
                                    "weapons", "effects",  "skins",    "maps",    "prefs",
                                    "data",    "common",   "editor",   "demos",   "help"};
const char* const kFileStems[] = {"tree",   "rock",  "bush",  "player", "crate",  "door",
                                  "wall",   "light", "shadow", "mission", "terrain", "skin",
                                  "button", "menu",  "level", "flag",   "tower",  "bridge"};
const char* const kExtensions[] = {".dts", ".png", ".jpg", ".dif", ".cs",  ".dso", ".gui",
                                   ".wav", ".ogg", ".ter", ".mis", ".txt", ".cfg", ".ml"};
const char* const kPrefsNames[] = {"ClientPrefs.cs", "ServerPrefs.cs", "Prefs.cs",
                                   "MapPrefs.cs",    "AudioPrefs.cs",  "VideoPrefs.cs",
                                   "NetPrefs.cs",    "InputPrefs.cs"};
// Names that look like prefs files but do not match "*Prefs.cs".
const char* const kDecoys[] = {"clientprefs.cs", "ClientPrefs.CS", "ServerPrefs.cs.dso",
                               "Prefs.cs.bak", "prefs.txt"};

struct Folder {
  fs::path path;
  int depth = 0;
  std::set<std::string> names;  // entries made so far, to keep names unique
};

// The same name in the other letter case at its first letter: "data" and "Data".
std::string OtherCase(std::string name) {
  for (char& c : name) {
    if (c >= 'a' && c <= 'z') {
      c = static_cast<char>(c - 32);
      break;
    }
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c + 32);
      break;
    }
  }
  return name;
}

// A name not yet used in `folder`: `wanted`, else `wanted` with a number before its
// extension.
std::string UniqueName(Folder& folder, const std::string& wanted) {
  std::string name = wanted;
  for (int n = 2; folder.names.count(name); ++n) {
    const std::size_t dot = wanted.find('.');
    name = dot == std::string::npos ? wanted + "_" + std::to_string(n)
                                    : wanted.substr(0, dot) + std::to_string(n) + wanted.substr(dot);
  }
  folder.names.insert(name);
  return name;
}

bool EndsWithPrefs(const std::string& name) {
  return name.size() >= 8 && name.compare(name.size() - 8, 8, "Prefs.cs") == 0;
}

struct GameStats {
  std::size_t files = 0, folders = 0, prefs = 0, caseTwins = 0, maxDepth = 0;
};

// A game data folder of `fileCount` files (norvik2.exe included) in about a tenth as
// many folders, at most eight deep; one file in a hundred is a prefs file.
GameStats WriteGame(const fs::path& drive, std::size_t fileCount, std::uint64_t seed) {
  Random r(seed);
  GameStats stats;
  std::vector<Folder> folders(1);
  folders[0].path = drive / kGameData;
  fs::create_directories(folders[0].path);

  const std::size_t folderCount = fileCount / 10;
  // A random tree: each folder hangs below one made before it that is not yet eight deep.
  while (folders.size() < folderCount) {
    std::size_t parent = r.Below(folders.size());
    while (folders[parent].depth >= 8) parent = r.Below(folders.size());
    Folder& p = folders[parent];
    std::string name;
    // Now and then a twin that differs from a sibling in letter case only.
    if (r.OneIn(40) && !p.names.empty()) {
      const std::string twin = OtherCase(*std::next(p.names.begin(), static_cast<long>(r.Below(p.names.size()))));
      if (!p.names.count(twin)) {
        name = twin;
        p.names.insert(name);
        ++stats.caseTwins;
      }
    }
    if (name.empty()) name = UniqueName(p, r.Pick(kFolderNames));
    Folder child;
    child.path = p.path / name;
    child.depth = p.depth + 1;
    stats.maxDepth = std::max(stats.maxDepth, static_cast<std::size_t>(child.depth));
    fs::create_directory(child.path);
    folders.push_back(std::move(child));
  }
  stats.folders = folders.size();

  WriteFile(folders[0].path / "norvik2.exe", "MZ stand-in for the game's executable\n");
  folders[0].names.insert("norvik2.exe");
  stats.files = 1;

  // Exactly one file in a hundred is a prefs file, spread at random over the files.
  const std::size_t prefsCount = fileCount / 100;
  std::vector<bool> isPrefs(fileCount, false);
  for (std::size_t placed = 0; placed < prefsCount;) {
    const std::size_t i = 1 + r.Below(fileCount - 1);
    if (!isPrefs[i]) isPrefs[i] = true, ++placed;
  }

  for (std::size_t i = 1; i < fileCount; ++i) {
    Folder& f = folders[r.Below(folders.size())];
    std::string name;
    std::string content;
    if (isPrefs[i]) {
      const std::string wanted = r.Pick(kPrefsNames);
      if (!f.names.count(wanted)) {
        name = wanted;
      } else if (wanted != "Prefs.cs" && !f.names.count(OtherCase(wanted))) {
        // Two prefs files whose names differ in letter case only: both are found.
        name = OtherCase(wanted);
        ++stats.caseTwins;
      } else {
        for (int n = 2; name.empty() || f.names.count(name); ++n) name = "Mod" + std::to_string(n) + wanted;
      }
      f.names.insert(name);
      for (int k = 0; k < 20; ++k) content += PrefLine(r) + "\r\n";
      ++stats.prefs;
    } else if (r.OneIn(200)) {
      name = UniqueName(f, r.Pick(kDecoys));
      content = "// not a prefs file\r\n";
    } else if (r.OneIn(50) && !f.names.empty() && !EndsWithPrefs(OtherCase(*f.names.begin()))) {
      const std::string twin = OtherCase(*f.names.begin());
      name = UniqueName(f, twin);
      if (name == twin) ++stats.caseTwins;
      content = "twin\n";
    } else {
      name = UniqueName(f, std::string(r.Pick(kFileStems)) + "_" + std::to_string(r.Below(1000)) +
                               r.Pick(kExtensions));
      content.assign(16 + r.Below(48), static_cast<char>('a' + r.Below(26)));
    }
    WriteFile(f.path / name, content);
    ++stats.files;
  }
  return stats;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
    return 2;
  }
  const fs::path out = argv[1];
  const fs::path stamp = out / "stamp";
  {
    std::ifstream in(stamp);
    std::string version;
    if (std::getline(in, version) && version == kVersion) {
      std::printf("benchmark data up to date in %s\n", out.c_str());
      return 0;
    }
  }
  try {
    fs::remove_all(out);
    fs::create_directories(out);
    std::ofstream manifest(out / "manifest.tsv");

    const struct {
      const char* label;
      std::size_t files;
    } games[] = {{"1k", 1000}, {"10k", 10000}, {"100k", 100000}};
    std::uint64_t seed = 1;
    for (const auto& game : games) {
      const GameStats s = WriteGame(out / "games" / (std::string("g") + game.label), game.files, seed++);
      const std::string key = std::string("game.") + game.label;
      manifest << key << ".files\t" << s.files << "\n"
               << key << ".folders\t" << s.folders << "\n"
               << key << ".prefs\t" << s.prefs << "\n"
               << key << ".casetwins\t" << s.caseTwins << "\n"
               << key << ".depth\t" << s.maxDepth << "\n";
      std::printf("game %-4s %zu files, %zu folders, %zu prefs files, %zu case twins, %zu deep\n",
                  game.label, s.files, s.folders, s.prefs, s.caseTwins, s.maxDepth);
    }

    const fs::path prefs = out / "files" / kGameData / "prefs";
    fs::create_directories(prefs);
    WriteFile(out / "files" / kGameData / "norvik2.exe", "MZ stand-in\n");
    const struct {
      const char* label;
      const char* name;
      std::size_t lines;
    } files[] = {{"1k", "Lines1kPrefs.cs", 1000},
                 {"100k", "Lines100kPrefs.cs", 100000},
                 {"1M", "Lines1MPrefs.cs", 1000000}};
    for (const auto& file : files) {
      const std::size_t written = WritePrefsFile(prefs / file.name, file.lines, seed++);
      const auto bytes = fs::file_size(prefs / file.name);
      manifest << "file." << file.label << ".items\t" << file.lines << "\n"
               << "file." << file.label << ".lines\t" << written << "\n"
               << "file." << file.label << ".bytes\t" << bytes << "\n";
      std::printf("file %-4s %zu script lines, %zu lines in all, %ju bytes\n", file.label,
                  file.lines, written, static_cast<std::uintmax_t>(bytes));
    }

    // One line of 10 MB: the longest thing the list will ever be asked to show.
    std::string longLine = "$pref::Bench::blob = \"";
    Random r(seed++);
    while (longLine.size() < 10u * 1024 * 1024) longLine += static_cast<char>('a' + r.Below(26));
    longLine += "\";\r\n";
    WriteFile(prefs / "LongLinePrefs.cs", longLine);
    manifest << "file.10MB.items\t1\nfile.10MB.lines\t1\nfile.10MB.bytes\t" << longLine.size()
             << "\n";
    std::printf("file 10MB one line of %zu bytes\n", longLine.size());

    manifest.close();
    std::ofstream(stamp) << kVersion << "\n";
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  return 0;
}
