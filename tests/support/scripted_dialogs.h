#pragma once

#include "ui/dialogs.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <deque>
#include <variant>

#include <ostream>

// Test failures show texts as text.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace ui {

// Dialogs for tests: records every box and answers from a script. A box that finds
// no scripted answer left fails loudly, so a test never passes on an unexpected box.
class ScriptedDialogs final : public Dialogs {
 public:
  struct Box {
    QString text, title;
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::OK;
  };

  // Queues the answer for the next message box (kAnswerYes, ...), or kThrow: the box
  // fails as an out-of-memory error would.
  static constexpr int kThrow = -1;
  void answer(int answer) { script_.emplace_back(answer); }
  // Queues the text typed into the next input box; a null QString means Cancel.
  void type(const QString& text) { script_.emplace_back(text); }

  int MsgBox(const QString& text, const QString& title, MsgIcon icon, MsgButtons buttons) override;
  QString InputBox(const QString& prompt, const QString& title) override;

  const QList<Box>& boxes() const { return boxes_; }
  QStringList titles() const;
  // Boxes that asked with nothing left in the script.
  int unscripted() const { return unscripted_; }
  void clear() { boxes_.clear(); script_.clear(); unscripted_ = 0; }

 private:
  // The next scripted answer when it is of the kind asked, else `unscripted`.
  template <typename T>
  T next(T unscripted);

  std::deque<std::variant<int, QString>> script_;
  QList<Box> boxes_;
  int unscripted_ = 0;
};

}  // namespace ui
