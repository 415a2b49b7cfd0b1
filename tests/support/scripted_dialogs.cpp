#include "support/scripted_dialogs.h"

#include <stdexcept>

namespace ui {

template <typename T>
T ScriptedDialogs::next(T unscripted) {
  if (script_.empty() || !std::holds_alternative<T>(script_.front())) {
    ++unscripted_;
    return unscripted;
  }
  T answer = std::get<T>(script_.front());
  script_.pop_front();
  return answer;
}

int ScriptedDialogs::MsgBox(const QString& text, const QString& title, MsgIcon icon, MsgButtons buttons) {
  boxes_.append({text, title, icon, buttons});
  // Unscripted, the safest answer a user could give: the one that changes nothing.
  const int answer = next(buttons == MsgButtons::YesNoCancel ? kAnswerCancel : buttons == MsgButtons::YesNo ? kAnswerNo : kAnswerOK);
  if (answer == kThrow) throw std::runtime_error("out of room");
  return answer;
}

QStringList ScriptedDialogs::titles() const {
  QStringList all;
  for (const Box& box : boxes_) all << box.title;
  return all;
}

QString ScriptedDialogs::InputBox(const QString& prompt, const QString& title) {
  boxes_.append({prompt, title, MsgIcon::None, MsgButtons::OK});
  return next(QString());
}

}  // namespace ui
