// The editor's timing program. Each command measures one figure against its reference in
// the same process and prints "RESULT key value" lines for bench/run to collect; times
// are medians in milliseconds of several runs after a warm-up run.
//
//   norvik-bench COMMAND DATADIR SCRATCHDIR
//
//   search       FindFiles(..., "*", "*Prefs.cs") on the 10k and 100k game folders, in
//                this process and as the process norvik-find, against `find -name`;
//                and a bare getdents64 walk of the same tree, the floor of any walk
//   startup      Form1 from construction through Form_Load to its first paint, on the
//                10k game folder, against a bare window of the same size
//   open         OpenScriptFile on 1k, 100k and 1M lines and on one 10 MB line until the
//                list is painted, with the longest gap between two rounds of event
//                processing, against QListWidget::addItems of the same lines
//   open-reader  OpenScriptFile on 1M lines until painted, with a stand-in screen reader
//                attached through AT-SPI and without one, alternately (run on a display
//                and a D-Bus session with accessibility on: see bench/run)
//   commit       the "&Change" handler in the 1M-line list
//   save         Save_PrefsFile of the 1M-line file against `cp` and `sync` of the copy;
//                and the same save after the check every save makes, with the file as
//                opened (its identity and times alone compared) and touched (its content
//                read and digested too); and the digest of the file's bytes in memory,
//                what the load adds
//   memory-open  opens the 1M-line file and ends (run under /usr/bin/time -v)
//   memory-bare  shows a bare window and ends (the same)
//
// DATADIR is what norvik-bench-generate wrote; SCRATCHDIR is a folder this program may
// fill and empty. Windows run on the offscreen platform unless QT_QPA_PLATFORM says
// otherwise; message boxes are scripted and any box not expected ends the run.

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAccessible>
#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QListWidget>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "editor/form1.h"
#include "fileservices/filestamp.h"
#include "fileservices/findfile.h"
#include "fileservices/lineloader.h"
#include "fileservices/hostpath.h"
#include "ui/controls.h"
#include "ui/listbox.h"
#include "support/scripted_dialogs.h"

extern char** environ;

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr const char* kGameData = "drive_c/vandrel/norvik2/gamedata";

[[noreturn]] void Fail(const std::string& why) {
  std::fprintf(stderr, "norvik-bench: %s\n", why.c_str());
  std::exit(1);
}

double Ms(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

void Result(const std::string& key, double value) {
  std::printf("RESULT %s %.6g\n", key.c_str(), value);
  std::fflush(stdout);
}

// Makes drive c: the folder `driveRoot` for every path the editor maps, the way the
// tests lay out a dosdevices/ folder beside a stand-in executable folder.
class Drive {
 public:
  Drive(const fs::path& scratch, const fs::path& driveRoot) : program_(scratch / "program") {
    fs::remove_all(program_);
    fs::create_directories(program_ / "dosdevices");
    fs::create_directory_symlink(fs::absolute(driveRoot), program_ / "dosdevices" / "c:");
    hostpath::OverrideExecutableFolder(program_.string());
    setenv("WINEPREFIX", (scratch / "no-wine-prefix").c_str(), 1);
  }
  ~Drive() {
    hostpath::OverrideExecutableFolder({});
    std::error_code ec;
    fs::remove_all(program_, ec);
  }

 private:
  fs::path program_;
};

// Runs a program with its output thrown away; the time from spawning to its end.
double TimeProcess(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  const auto start = Clock::now();
  pid_t pid;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
    Fail("cannot run " + args[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  const auto end = Clock::now();
  posix_spawn_file_actions_destroy(&actions);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) Fail(args[0] + " failed");
  return Ms(start, end);
}

// Runs rounds of event processing until `widget` or one of its children is painted.
class PaintWatch final : public QObject {
 public:
  explicit PaintWatch(QWidget* widget) : widget_(widget) { qApp->installEventFilter(this); }
  ~PaintWatch() override { qApp->removeEventFilter(this); }

  void Wait() {
    const auto deadline = Clock::now() + std::chrono::seconds(120);
    while (!painted_) {
      QApplication::processEvents();
      if (Clock::now() > deadline) Fail("the window was never painted");
    }
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && watched->isWidgetType()) {
      auto* w = static_cast<QWidget*>(watched);
      if (w == widget_ || widget_->isAncestorOf(w)) painted_ = true;
    }
    return false;
  }

 private:
  QWidget* widget_;
  bool painted_ = false;
};

void ShowAndWaitForPaint(QWidget& widget) {
  PaintWatch watch(&widget);
  widget.show();
  watch.Wait();
}

// Repaints `widget` and waits until that is done.
void RepaintAndWait(QWidget& widget) {
  PaintWatch watch(&widget);
  widget.update();
  watch.Wait();
}

// Records when each round of event processing runs: a zero-interval timer fires once
// per round. The longest time between two rounds is how long the window stood still.
class RoundProbe {
 public:
  RoundProbe() {
    timer_.setInterval(0);
    QObject::connect(&timer_, &QTimer::timeout, [this] { stamps_.push_back(Clock::now()); });
  }
  void Start() {
    stamps_.clear();
    stamps_.reserve(1 << 16);
    stamps_.push_back(Clock::now());
    timer_.start();
  }
  // Ends the record at `end`; returns the longest gap and counts the rounds.
  double Stop(Clock::time_point end, std::size_t* rounds) {
    timer_.stop();
    stamps_.push_back(end);
    double longest = 0;
    for (std::size_t i = 1; i < stamps_.size(); ++i)
      longest = std::max(longest, Ms(stamps_[i - 1], stamps_[i]));
    if (rounds) *rounds = stamps_.size() - 2;
    return longest;
  }

 private:
  QTimer timer_;
  std::vector<Clock::time_point> stamps_;
};

// A Form1 started on the game folder of `drive`, as the user sees it after start-up.
class Editor {
 public:
  Editor() : form_(dialogs_) {
    form_.onFatalError = [] { Fail("an error escaped a handler"); };
    dialogs_.answer(ui::kAnswerYes);
    answered_ = 1;
    if (!form_.Form_Load()) Fail("start-up ended the program");
    CheckNoBoxes();
    ShowAndWaitForPaint(form_);
  }

  Form1& form() { return form_; }
  ui::ListBox& list() { return *form_.List1; }

  // Every box asked since the last check was one scripted (the disclaimer at start-up).
  void CheckNoBoxes() {
    if (dialogs_.unscripted() > 0 || dialogs_.boxes().size() != answered_) Fail("unexpected message box");
    dialogs_.clear();
    answered_ = 0;
  }

  // Back to the file list, as "&Reload Prefs" does.
  void ShowFileList() {
    if (list().ListCount() > 0 && list().List(0).startsWith(QStringLiteral("... "))) return;
    form_.Command1_Click();
    CheckNoBoxes();
  }

  // Clicks the file entry of `relative` (backslashes) so that a double click would open it.
  void SelectEntry(const QString& relative) {
    ShowFileList();
    const QString entry = QStringLiteral("... ") + relative;
    for (int i = 0; i < list().ListCount(); ++i) {
      if (list().List(i) == entry) {
        list().SetListIndex(i);
        form_.List1_Click();
        return;
      }
    }
    Fail("no file entry " + relative.toStdString());
  }

  void Open(const QString& relative, int expectedItems) {
    SelectEntry(relative);
    form_.OpenScriptFile();
    CheckNoBoxes();
    if (list().ListCount() != expectedItems) Fail("the file did not load whole");
    RepaintAndWait(list());
  }

 private:
  ui::ScriptedDialogs dialogs_;
  qsizetype answered_ = 0;  // answers scripted since the last check
  Form1 form_;
};

std::map<std::string, double> ReadManifest(const fs::path& data) {
  std::map<std::string, double> values;
  FILE* in = std::fopen((data / "manifest.tsv").c_str(), "r");
  if (!in) Fail("no manifest in " + data.string() + ": run norvik-bench-generate");
  char key[128];
  double value;
  while (std::fscanf(in, "%127s %lf", key, &value) == 2) values[key] = value;
  std::fclose(in);
  return values;
}

// --- search --------------------------------------------------------------------------

// The least any walk of the tree costs: every folder opened and its entries read with
// getdents64, nothing sorted, matched or kept. Counts the entries below `folder`.
std::size_t BareWalk(int folder) {
  alignas(8) static char buffer[1 << 16];
  std::size_t entries = 0;
  std::vector<std::string> folders;
  for (;;) {
    const long n = syscall(SYS_getdents64, folder, buffer, sizeof buffer);
    if (n <= 0) break;
    for (long at = 0; at < n;) {
      const auto* d = reinterpret_cast<const dirent64*>(buffer + at);
      at += d->d_reclen;
      const char* name = d->d_name;
      if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
      ++entries;
      if (d->d_type == DT_DIR) folders.emplace_back(name);
    }
  }
  for (const std::string& name : folders) {
    const int fd = openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) continue;
    entries += BareWalk(fd);
    close(fd);
  }
  return entries;
}

void BenchSearch(const fs::path& data, const fs::path& scratch) {
  const fs::path self = fs::read_symlink("/proc/self/exe").parent_path();
  const std::string norvikFind = (self / "norvik-find").string();
  for (const auto& [label, runs] : {std::pair{"10k", 11}, std::pair{"100k", 7}}) {
    const fs::path drive = data / "games" / (std::string("g") + label) / "drive_c";
    const Drive mapped(scratch, drive);
    const std::string host = (drive / "vandrel/norvik2/gamedata").string();

    std::size_t found = 0;
    auto inProcess = [&] {
      std::string folder = "c:\\vandrel\\norvik2\\gamedata";
      std::vector<std::string> results;
      const auto start = Clock::now();
      FindFileRecursive::FindFiles(folder, "*", "*Prefs.cs", results);
      const auto end = Clock::now();
      found = results.size();
      return Ms(start, end);
    };
    auto asProcess = [&] { return TimeProcess({norvikFind, host}); };
    auto find = [&] { return TimeProcess({"find", host, "-name", "*Prefs.cs"}); };
    std::size_t entries = 0;
    auto bare = [&] {
      const auto start = Clock::now();
      const int fd = open(host.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      entries = BareWalk(fd);
      close(fd);
      return Ms(start, Clock::now());
    };

    inProcess(), asProcess(), find(), bare();  // warm the file cache and the code
    std::vector<double> ours, process, reference, floor;
    for (int i = 0; i < runs; ++i) {
      ours.push_back(inProcess());
      process.push_back(asProcess());
      reference.push_back(find());
      floor.push_back(bare());
    }
    const std::string key = std::string("search.") + label;
    Result(key + ".inprocess", Median(ours));
    Result(key + ".process", Median(process));
    Result(key + ".find", Median(reference));
    Result(key + ".found", static_cast<double>(found));
    Result(key + ".bare", Median(floor));
    Result(key + ".entries", static_cast<double>(entries));
  }
}

// --- startup -------------------------------------------------------------------------

void BenchStartup(const fs::path& data, const fs::path& scratch) {
  const Drive mapped(scratch, data / "games/g10k/drive_c");
  QSize size;
  std::size_t entries = 0;
  double load = 0, construct = 0;

  auto editor = [&] {
    ui::ScriptedDialogs dialogs;
    const auto start = Clock::now();
    auto form = std::make_unique<Form1>(dialogs);
    const auto built = Clock::now();
    form->onFatalError = [] { Fail("an error escaped a handler"); };
    dialogs.answer(ui::kAnswerYes);
    if (!form->Form_Load()) Fail("start-up ended the program");
    const auto loaded = Clock::now();
    ShowAndWaitForPaint(*form);
    const auto end = Clock::now();
    if (dialogs.unscripted() > 0 || dialogs.boxes().size() != 1) Fail("unexpected message box");
    size = form->size();
    entries = static_cast<std::size_t>(form->List1->ListCount());
    construct = Ms(start, built);
    load = Ms(built, loaded);
    form.reset();  // not timed
    return Ms(start, end);
  };
  auto bare = [&] {
    const auto start = Clock::now();
    auto window = std::make_unique<QWidget>();
    window->setFixedSize(ui::TwipsToPixels(6630), ui::TwipsToPixels(3525));
    ShowAndWaitForPaint(*window);
    const auto end = Clock::now();
    window.reset();
    return Ms(start, end);
  };

  editor(), bare(), editor(), bare();  // warm-up: fonts, the icon, the file cache
  std::vector<double> ours, reference, constructs, loads;
  for (int i = 0; i < 11; ++i) {
    ours.push_back(editor());
    constructs.push_back(construct);
    loads.push_back(load);
    reference.push_back(bare());
  }
  Result("startup.10k.ours", Median(ours));
  Result("startup.10k.bare", Median(reference));
  Result("startup.10k.construct", Median(constructs));
  Result("startup.10k.formload", Median(loads));
  Result("startup.10k.entries", static_cast<double>(entries));
  Result("startup.10k.width", size.width());
  Result("startup.10k.height", size.height());
}

// --- open ----------------------------------------------------------------------------

// The reference: the file's non-blank lines read, split and put into a list widget
// with one addItems call, then painted.
double ReferenceLoad(QListWidget& widget, const QString& path, int expectedItems) {
  const auto start = Clock::now();
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) Fail("cannot read " + path.toStdString());
  const QByteArray bytes = file.readAll();
  QStringList lines;
  qsizetype from = 0;
  const qsizetype size = bytes.size();
  while (from < size) {
    qsizetype end = from;
    while (end < size && bytes[end] != '\r' && bytes[end] != '\n') ++end;
    const QByteArrayView line(bytes.constData() + from, end - from);
    bool blank = true;
    for (char c : line) blank = blank && c == ' ';
    if (!blank) lines.append(QString::fromLatin1(line));
    from = end + (end + 1 < size && bytes[end] == '\r' && bytes[end + 1] == '\n' ? 2 : 1);
  }
  widget.addItems(lines);
  RepaintAndWait(widget);
  const auto end = Clock::now();
  if (widget.count() != expectedItems) Fail("the reference lost lines");
  return Ms(start, end);
}

void BenchOpen(const fs::path& data, const fs::path& scratch) {
  const auto manifest = ReadManifest(data);
  const Drive mapped(scratch, data / "files/drive_c");
  Editor editor;
  const QRect listGeometry = editor.list().geometry();

  QListWidget reference;
  reference.setUniformItemSizes(true);  // as List1: the same layout work per item
  reference.resize(listGeometry.size());
  ShowAndWaitForPaint(reference);

  RoundProbe probe;
  const struct {
    const char* label;
    const char* name;
    int runs;
  } files[] = {{"1k", "Lines1kPrefs.cs", 15},
               {"100k", "Lines100kPrefs.cs", 7},
               {"1M", "Lines1MPrefs.cs", 5},
               {"10MB", "LongLinePrefs.cs", 3}};
  for (const auto& file : files) {
    const QString relative = QStringLiteral("prefs\\") + QString::fromLatin1(file.name);
    const QString host =
        QString::fromStdString((data / "files" / kGameData / "prefs" / file.name).string());
    const int items = static_cast<int>(manifest.at(std::string("file.") + file.label + ".items"));

    double gap = 0;
    std::size_t rounds = 0;
    auto ours = [&] {
      editor.SelectEntry(relative);
      probe.Start();
      const auto start = Clock::now();
      editor.form().OpenScriptFile();
      RepaintAndWait(editor.list());
      const auto end = Clock::now();
      gap = probe.Stop(end, &rounds);
      editor.CheckNoBoxes();
      if (editor.list().ListCount() != items) Fail("the file did not load whole");
      return Ms(start, end);
    };
    auto ref = [&] {
      const double ms = ReferenceLoad(reference, host, items);
      reference.clear();
      QApplication::processEvents();
      return ms;
    };

    ours(), ref();  // warm-up
    std::vector<double> oursMs, refMs, gaps, roundCounts;
    for (int i = 0; i < file.runs; ++i) {
      oursMs.push_back(ours());
      gaps.push_back(gap);
      roundCounts.push_back(static_cast<double>(rounds));
      refMs.push_back(ref());
    }
    const std::string key = std::string("open.") + file.label;
    Result(key + ".ours", Median(oursMs));
    Result(key + ".ref", Median(refMs));
    Result(key + ".gap", *std::max_element(gaps.begin(), gaps.end()));
    Result(key + ".gapmedian", Median(gaps));
    Result(key + ".rounds", Median(roundCounts));
  }
}

// --- open with a screen reader ------------------------------------------------------

// A stand-in screen reader, attached through AT-SPI for as long as it lives.
class ScreenReader {
 public:
  ScreenReader() {
    int out[2];
    if (pipe(out) != 0) Fail("no pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    char* argv[] = {const_cast<char*>("/usr/bin/python3"), const_cast<char*>(READER_CLIENT), nullptr};
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv, environ) != 0) Fail("cannot start the screen reader client");
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    output_ = out[0];  // kept open for as long as the client may write
    fcntl(output_, F_SETFL, O_NONBLOCK);
    // The client asks this process about itself while it starts: answer while waiting.
    std::string said;
    const auto until = Clock::now() + std::chrono::seconds(30);
    while (said != "ready\n" && Clock::now() < until) {
      QApplication::processEvents(QEventLoop::AllEvents, 20);
      char buffer[16];
      const ssize_t got = read(output_, buffer, sizeof buffer);
      if (got > 0) said.append(buffer, static_cast<std::size_t>(got));
    }
    if (said != "ready\n") Fail("the screen reader client did not start");
    Settle();  // the bridge learns of the new listeners by a message of its own
  }
  ~ScreenReader() {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    close(output_);
    Settle();
  }

 private:
  static void Settle() {
    const auto until = Clock::now() + std::chrono::milliseconds(500);
    while (Clock::now() < until) QApplication::processEvents(QEventLoop::AllEvents, 50);
  }
  pid_t pid_ = 0;
  int output_ = -1;
};

void BenchOpenReader(const fs::path& data, const fs::path& scratch) {
  const auto manifest = ReadManifest(data);
  const int items = static_cast<int>(manifest.at("file.1M.items"));
  const Drive mapped(scratch, data / "files/drive_c");
  Editor editor;
  // The bridge to the accessibility bus comes up a few event rounds after the start.
  const auto until = Clock::now() + std::chrono::seconds(5);
  while (!QAccessible::isActive() && Clock::now() < until) QApplication::processEvents(QEventLoop::AllEvents, 50);
  if (!QAccessible::isActive()) Fail("accessibility is off: run on a display with QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1");
  auto open = [&] {
    editor.SelectEntry(QStringLiteral("prefs\\Lines1MPrefs.cs"));
    const auto start = Clock::now();
    editor.form().OpenScriptFile();
    RepaintAndWait(editor.list());
    const auto end = Clock::now();
    editor.CheckNoBoxes();
    if (editor.list().ListCount() != items) Fail("the file did not load whole");
    return Ms(start, end);
  };
  open();  // warm-up
  std::vector<double> alone, attached;
  for (int i = 0; i < 5; ++i) {
    alone.push_back(open());
    const ScreenReader reader;
    attached.push_back(open());
  }
  Result("open.1M.reader", Median(attached));
  Result("open.1M.alone", Median(alone));
}

// --- commit --------------------------------------------------------------------------

void BenchCommit(const fs::path& data, const fs::path& scratch) {
  const auto manifest = ReadManifest(data);
  const int items = static_cast<int>(manifest.at("file.1M.items"));
  const Drive mapped(scratch, data / "files/drive_c");
  Editor editor;
  editor.Open(QStringLiteral("prefs\\Lines1MPrefs.cs"), items);
  Form1& form = editor.form();

  std::vector<double> handler, repainted;
  for (int run = 0; run < 12; ++run) {
    const int row = items / 2 + run * 1013;
    const QString text = QStringLiteral("$pref::Bench::edited%1 = %2;").arg(run).arg(row);
    editor.list().SetListIndex(row);
    form.List1_Click();
    form.LineNfile_txt_Click();
    form.LineNfile_txt->SetText(text);
    QApplication::processEvents();

    PaintWatch watch(&editor.list());
    const auto start = Clock::now();
    form.Command2_Click(0);
    const auto handled = Clock::now();
    watch.Wait();
    const auto end = Clock::now();
    editor.CheckNoBoxes();
    if (editor.list().List(row) != text || editor.list().ListCount() != items || !form.Change)
      Fail("the commit went wrong");
    if (run < 2) continue;  // warm-up
    handler.push_back(Ms(start, handled));
    repainted.push_back(Ms(start, end));
  }
  Result("commit.1M.handler", Median(handler));
  Result("commit.1M.repainted", Median(repainted));
}

// --- save ----------------------------------------------------------------------------

std::string ReadAll(const fs::path& path) {
  std::string bytes(fs::file_size(path), '\0');
  FILE* in = std::fopen(path.c_str(), "rb");
  if (!in || std::fread(bytes.data(), 1, bytes.size(), in) != bytes.size()) Fail("cannot read " + path.string());
  std::fclose(in);
  return bytes;
}

// What a save of a freshly opened file writes: its non-blank lines, each ended by CR LF.
std::string ExpectedSave(const std::string& original) {
  std::string out;
  std::size_t from = 0;
  while (from < original.size()) {
    std::size_t end = original.find_first_of("\r\n", from);
    if (end == std::string::npos) end = original.size();
    const std::string_view line(original.data() + from, end - from);
    if (line.find_first_not_of(' ') != std::string_view::npos) out.append(line).append("\r\n");
    from = end + (original.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return out;
}

void BenchSave(const fs::path& data, const fs::path& scratch) {
  const auto manifest = ReadManifest(data);
  const int items = static_cast<int>(manifest.at("file.1M.items"));
  // A drive of its own: the save rewrites the file it opened.
  const fs::path drive = scratch / "save/drive_c";
  fs::remove_all(scratch / "save");
  fs::create_directories(drive / "vandrel/norvik2/gamedata/prefs");
  fs::copy_file(data / "files" / kGameData / "norvik2.exe", drive / "vandrel/norvik2/gamedata/norvik2.exe");
  const fs::path file = drive / "vandrel/norvik2/gamedata/prefs/Save1MPrefs.cs";
  fs::copy_file(data / "files" / kGameData / "prefs/Lines1MPrefs.cs", file);
  const std::string copy = (scratch / "save/copy.cs").string();

  {
    const Drive mapped(scratch, drive);
    Editor editor;
    editor.Open(QStringLiteral("prefs\\Save1MPrefs.cs"), items);
    Form1& form = editor.form();

    auto ours = [&] {
      QString base = form.GameDataPath;
      const auto start = Clock::now();
      form.Save_PrefsFile(base, form.OpenFilePath, editor.list());
      const auto end = Clock::now();
      editor.CheckNoBoxes();  // "Save Error" would be an unexpected box
      return Ms(start, end);
    };
    auto ref = [&] {
      const auto start = Clock::now();
      TimeProcess({"cp", file.string(), copy});
      TimeProcess({"sync", copy});
      const auto end = Clock::now();
      fs::remove(copy);
      return Ms(start, end);
    };

    // The check before the save, on a file stamped anew (untimed) as a load would: as
    // opened, or touched since, which makes the check read the file through.
    const std::string target = (drive / "vandrel/norvik2/gamedata/prefs/Save1MPrefs.cs").string();
    const std::string program = "c:\\vandrel\\norvik2\\gamedata\\prefs\\Save1MPrefs.cs";
    std::vector<double> asOpenedCheckMs, touchedCheckMs;  // the check alone
    auto checked = [&](bool touched) {
      struct : FileMisc::LineSink {
        void AddItem(std::string_view) override {}
        bool DoEvents() override { return true; }
      } sink;
      FileMisc::ContentStamp stamp;
      FileMisc::LoadLinesIntoList(program, sink, &stamp);
      if (touched) fs::last_write_time(target, fs::last_write_time(target) + std::chrono::seconds(1));
      const auto start = Clock::now();
      if (FileMisc::CompareWithDisk(program, stamp) != FileMisc::DiskState::AsRead)
        Fail("the check took the file for changed");
      const double ms = Ms(start, Clock::now());
      (touched ? touchedCheckMs : asOpenedCheckMs).push_back(ms);
      return ms + ours();
    };

    ours(), ref(), checked(false), checked(true);  // warm-up; from here on the file is what the save writes
    if (ReadAll(file) != ExpectedSave(ReadAll(data / "files" / kGameData / "prefs/Lines1MPrefs.cs")))
      Fail("the save did not write the file's non-blank lines, each ended by CR LF");
    std::vector<double> oursMs, refMs, asOpenedMs, touchedMs, digestMs;
    const std::string bytes = ReadAll(file);
    for (int i = 0; i < 7; ++i) {
      oursMs.push_back(ours());
      refMs.push_back(ref());
      asOpenedMs.push_back(checked(false));
      touchedMs.push_back(checked(true));
      const auto start = Clock::now();
      FileMisc::ContentDigest digest;
      digest.Add(bytes.data(), bytes.size());
      volatile std::uint64_t value = digest.Value();
      (void)value;
      digestMs.push_back(Ms(start, Clock::now()));
    }
    Result("save.1M.ours", Median(oursMs));
    Result("save.1M.ref", Median(refMs));
    Result("save.1M.checked", Median(asOpenedMs));
    Result("save.1M.checkedTouched", Median(touchedMs));
    Result("digest.1M", Median(digestMs));
    Result("check.1M.asOpened", Median(asOpenedCheckMs));
    Result("check.1M.touched", Median(touchedCheckMs));
    Result("save.1M.bytes", static_cast<double>(fs::file_size(file)));
  }
  fs::remove_all(scratch / "save");
}

// --- memory --------------------------------------------------------------------------

void MemoryOpen(const fs::path& data, const fs::path& scratch) {
  const auto manifest = ReadManifest(data);
  const Drive mapped(scratch, data / "files/drive_c");
  Editor editor;
  editor.Open(QStringLiteral("prefs\\Lines1MPrefs.cs"),
              static_cast<int>(manifest.at("file.1M.items")));
}

void MemoryBare() {
  QWidget window;
  window.setFixedSize(ui::TwipsToPixels(6630), ui::TwipsToPixels(3525));
  ShowAndWaitForPaint(window);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr,
                 "usage: %s search|startup|open|open-reader|commit|save|memory-open|memory-bare DATADIR "
                 "SCRATCHDIR\n",
                 argv[0]);
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const std::string command = argv[1];
  const fs::path data = fs::absolute(argv[2]);
  const fs::path scratch = fs::absolute(argv[3]);
  fs::create_directories(scratch);

  const std::map<std::string, std::function<void()>> commands = {
      {"search", [&] { BenchSearch(data, scratch); }},
      {"startup", [&] { BenchStartup(data, scratch); }},
      {"open", [&] { BenchOpen(data, scratch); }},
      {"open-reader", [&] { BenchOpenReader(data, scratch); }},
      {"commit", [&] { BenchCommit(data, scratch); }},
      {"save", [&] { BenchSave(data, scratch); }},
      {"memory-open", [&] { MemoryOpen(data, scratch); }},
      {"memory-bare", [] { MemoryBare(); }},
  };
  const auto it = commands.find(command);
  if (it == commands.end()) Fail("unknown command " + command);
  it->second();
  return 0;
}
