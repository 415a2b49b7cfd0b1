#pragma once

#include <QString>

class QWidget;

namespace ui {

enum class MsgIcon { None, Question, Exclamation, Error };
enum class MsgButtons { OK, YesNo, YesNoCancel };

// The answers the logic tests for.
inline constexpr int kAnswerOK = 1;
inline constexpr int kAnswerCancel = 2;
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;

// The modal boxes the editor asks through. A line break inside a text is CR LF.
class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // Shows a message box and returns the answer (kAnswerOK, kAnswerYes, ...).
  virtual int MsgBox(const QString& text, const QString& title, MsgIcon icon,
                     MsgButtons buttons) = 0;
  // Shows an input box with an empty field; returns the typed text, or the empty
  // text on Cancel.
  virtual QString InputBox(const QString& prompt, const QString& title) = 0;
};

// The real boxes, modal to `owner` (which may be null) once it is shown.
class QtDialogs final : public Dialogs {
 public:
  explicit QtDialogs(QWidget* owner = nullptr) : owner_(owner) {}
  void setOwner(QWidget* owner) { owner_ = owner; }
  int MsgBox(const QString& text, const QString& title, MsgIcon icon,
             MsgButtons buttons) override;
  QString InputBox(const QString& prompt, const QString& title) override;

 private:
  QWidget* shownOwner() const;
  QWidget* owner_ = nullptr;
};

}  // namespace ui
