#include "support/scripted_dialogs.h"

#include <stdexcept>

namespace ui {

int ScriptedDialogs::MsgBox(const QString& text, const QString& title, MsgIcon icon,
                            MsgButtons buttons) {
  boxes_.append({text, title, icon, buttons});
  if (script_.empty() || !std::holds_alternative<int>(script_.front())) {
    ++unscripted_;
    // The safest answer a user could give: the one that changes nothing.
    return buttons == MsgButtons::YesNoCancel ? kAnswerCancel
           : buttons == MsgButtons::YesNo     ? kAnswerNo
                                              : kAnswerOK;
  }
  int answer = std::get<int>(script_.front());
  script_.pop_front();
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
  if (script_.empty() || !std::holds_alternative<QString>(script_.front())) {
    ++unscripted_;
    return QString();
  }
  QString typed = std::get<QString>(script_.front());
  script_.pop_front();
  return typed.isNull() ? QString() : typed;
}

}  // namespace ui
