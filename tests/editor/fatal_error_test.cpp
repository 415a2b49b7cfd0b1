#include "editor/form1.h"
#include "ui/controls.h"
#include "ui/dialogs.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

// Boxes whose first message box fails, as an out-of-memory error inside a handler would.
class FailingDialogs final : public ui::Dialogs {
 public:
  int MsgBox(const QString& text, const QString& title, ui::MsgIcon icon,
             ui::MsgButtons) override {
    if (calls_++ == 0) throw std::runtime_error("out of room");
    shownText = text;
    shownTitle = title;
    shownIcon = icon;
    return ui::kAnswerOK;
  }
  QString InputBox(const QString&, const QString&) override { return {}; }

  QString shownText, shownTitle;
  ui::MsgIcon shownIcon = ui::MsgIcon::None;

 private:
  int calls_ = 0;
};

}  // namespace

// An error escaping a handler used to take the process down without a word.
TEST(FatalErrorTest, errorInAHandler_isShownAndEndsTheProgram) {
  FailingDialogs dialogs;
  Form1 form(dialogs);
  int ended = 0;
  form.onFatalError = [&] { ++ended; };
  form.show();

  form.Command2[0]->setEnabled(true);
  form.Command2[0]->click();  // an empty line: the "Syntax Error" box throws

  EXPECT_EQ(ended, 1);
  EXPECT_EQ(dialogs.shownText, QStringLiteral("out of room"));
  EXPECT_EQ(dialogs.shownIcon, ui::MsgIcon::Error);
  EXPECT_FALSE(form.isVisible());
}
