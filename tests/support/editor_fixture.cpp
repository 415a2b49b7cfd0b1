#include "support/editor_fixture.h"

#include <QAccessible>
#include <QTest>

#include <fstream>
#include <map>

#include "fileservices/codepage.h"

namespace testsupport {

void EditorFixture::Run(const std::vector<std::string>& steps) {
  static const std::map<QString, int> kAnswers = {{QStringLiteral("Yes"), ui::kAnswerYes},
      {QStringLiteral("No"), ui::kAnswerNo}, {QStringLiteral("Cancel"), ui::kAnswerCancel}, {QStringLiteral("OK"), ui::kAnswerOK}};
  Form1& f = *form_;
  for (const std::string& step : steps) {
    SCOPED_TRACE(step);
    const std::size_t cut = std::min(step.find_first_of(" ="), step.size());
    const std::string word = step.substr(0, cut) + (cut < step.size() && step[cut] == '=' ? "=" : "");
    const std::string arg = cut < step.size() ? step.substr(cut + 1) : "";
    QString text = QString::fromUtf8(arg);
    if (word == "game") {
      for (const std::string& file : {std::string("norvik2.exe"), "sub/" + arg + "Prefs.cs"}) writeOnDrive(arg[0], std::string(kGameData) + "/" + file, "x");
    } else if (word == "codepage") codepage::Use(std::stoi(arg));
    else if (word == "bytes") writeGameFile(arg.substr(0, arg.find(':')), arg.substr(arg.find(':') + 1));
    else if (word == "ini" && arg == "folder") std::filesystem::create_directory(settingsFile());
    else if (word == "ini") dir_.writeFile("program/NorvikPrefs.ini", arg);
    else if (word == "typed") dialogs_.type(cut < step.size() ? text.replace(QStringLiteral("{tmp}"), QString::fromStdString(dir_.path().string())) : QString());
    else if (word == "start") form_->Form_Load() ? form_->show() : void();
    else if (word == "click") f.List1->SetListIndex(std::stoi(arg)), f.List1_Click();
    else if (word == "dbl") f.List1_DblClick();
    else if (word == "open") Run({"click " + std::to_string(items().indexOf(QStringLiteral("... ") + text)), "dbl"});
    else if (word == "box") f.LineNfile_txt_Click();
    else if (word == "key") QTest::keyClick(text.startsWith(u'b') ? static_cast<QWidget*>(f.LineNfile_txt) : f.List1, QKeySequence(text.section(u' ', 1))[0].key());
    else if (word == "act") (text.startsWith(u'b') ? QAccessible::queryAccessibleInterface(f.LineNfile_txt) : QAccessible::queryAccessibleInterface(f.List1)->child(text.section(u' ', 0, 0).toInt()))
        ->actionInterface()->doAction(text.contains(u' ') ? text.section(u' ', 1) : QAccessibleActionInterface::pressAction());
    else if (word == "type") f.LineNfile_txt->SetText(text);
    else if (word == "change" || word == "cancel") f.Command2_Click(word == "cancel");
    else if (word == "reload") f.Command1_Click();
    else if (word == "exit") f.Command3_Click();
    else if (word == "close") f.close();
    else if (word == "save") f.Save_PrefsFile(f.GameDataPath, f.OpenFilePath, *f.List1);
#ifdef _WIN32
    else if (word == "locked") held_.push_back(HoldWithoutSharing(gameFile(arg)));
    else if (word == "unlock") held_.clear();
#endif
    else if (word == "readonly") std::filesystem::permissions(gameFile(arg), std::filesystem::perms::owner_write | std::filesystem::perms::group_write | std::filesystem::perms::others_write, std::filesystem::perm_options::remove);
    // Another program's doing: NAME:BYTES written in place with the old time (same second),
    // or put there by a rename; a touch; a removal.
    else if (word == "outside") { const auto file = gameFile(arg.substr(0, arg.find(':'))); const auto time = std::filesystem::last_write_time(file);
      std::ofstream(file, std::ios::binary) << arg.substr(arg.find(':') + 1); std::filesystem::last_write_time(file, time); }
    else if (word == "renamed") std::filesystem::rename(dir_.writeFile("new", arg.substr(arg.find(':') + 1)), gameFile(arg.substr(0, arg.find(':'))));
    else if (word == "touch") std::filesystem::last_write_time(gameFile(arg), std::filesystem::last_write_time(gameFile(arg)) + std::chrono::hours(1));
    else if (word == "remove") std::filesystem::remove(gameFile(arg));
    else if (word == "answer") for (const QString& a : text.split(u',')) dialogs_.answer(kAnswers.at(a));
    else if (word == "items=") EXPECT_EQ(items().join(u'|'), text);
    else if (word == "caption=") EXPECT_EQ(f.windowTitle(), QStringLiteral("Norvik2 - Prefs Editor") + (arg.empty() ? "" : " ... " + text));
    else if (word == "text=") EXPECT_EQ(f.LineNfile_txt->Text(), text);
    else if (word == "tip=") EXPECT_EQ(f.List1->ToolTipText(), text);
    else if (word == "index=") EXPECT_EQ(f.List1->ListIndex(), std::stoi(arg));
    else if (word == "change=") EXPECT_EQ(f.Change, arg == "1");
    else if (word == "editing=") EXPECT_TRUE(f.Command2[0]->isEnabled() == (arg == "1") && f.Command2[1]->isEnabled() == (arg == "1") && f.List1->isEnabled() == (arg == "0"));
    else if (word == "shown=") EXPECT_EQ(f.isVisible(), arg == "1");
    else if (word == "boxes=") EXPECT_EQ(dialogs_.titles().mid(std::exchange(seenBoxes_, dialogs_.boxes().size())).join(u'|'), text);
    else if (word == "folder=") EXPECT_EQ(f.GameDataPath, text);
    else if (word == "settings=") EXPECT_EQ(readFile(settingsFile()), arg);
    else if (word == "file=") EXPECT_EQ(readFile(gameFile(arg.substr(0, arg.find(':')))), arg.substr(arg.find(':') + 1));
    else FAIL() << "no such step";
  }
}

}  // namespace testsupport
