#pragma once

// Thin wrappers that give Qt widgets the control model the editor drives:
// Text, Enabled, ToolTipText and Click, with positions in twips.

#include <QColor>
#include <QFont>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <functional>

namespace ui {

class LineValidator;

// Positions and sizes are given in twips; 15 twips make one logical pixel, and Qt's
// own high-DPI scaling takes it from there.
inline constexpr int kTwipsPerPixel = 15;
int TwipsToPixels(int twips);
void PlaceInTwips(QWidget* widget, int left, int top, int width, int height);

// The classic serif caption font, with a serif family standing in where it is missing.
QFont SerifFont(double points, bool bold);

// The desktop's colour for menu text (black in the standard scheme).
QColor SystemMenuTextColor();

class Button final : public QPushButton {
  Q_OBJECT
 public:
  Button(const QString& caption, QWidget* parent);
  bool Enabled() const { return isEnabled(); }
  void SetEnabled(bool enabled) { setEnabled(enabled); }
 signals:
  void Click();
};

class Label final : public QLabel {
  Q_OBJECT
 public:
  Label(const QString& caption, QWidget* parent);
  void SetForeColor(const QColor& color);
  void SetToolTipText(const QString& tip) { setToolTip(tip); }
 signals:
  void Click();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  bool pressed_ = false;
};

// A one-line text box. It holds one line: a CR or LF that reaches it (pasted text)
// cuts the text there. An Alt chord never types into it. Enter and F2 are a click into
// it, for whoever works without a mouse; typing is none.
class TextBox final : public QLineEdit {
  Q_OBJECT
 public:
  explicit TextBox(QWidget* parent);
  QString Text() const { return text(); }
  void SetText(const QString& text);
  void SetColors(const QColor& back, const QColor& fore);
  // From here on every character that `holds` refuses becomes '?' as it enters the box
  // (typed, pasted, dropped or set), a surrogate pair counting as one character.
  void SetCharacterSet(std::function<bool(char32_t)> holds);
  // What a click into the box does: it takes the focus and Click runs (not while it is
  // disabled).
  void ClickInto();
  // Where character `offset` is drawn, in screen coordinates; empty outside the text.
  QRect CharacterRect(int offset) const;
 signals:
  void Click();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  LineValidator* validator_ = nullptr;
};

class Frame final : public QGroupBox {
  Q_OBJECT
 public:
  explicit Frame(QWidget* parent);
};

// Shows a picture stretched to fill the control. Of an icon it shows the largest image,
// scaled down to the control's own pixels, so the picture is sharp at every scale.
class Picture final : public QLabel {
  Q_OBJECT
 public:
  explicit Picture(QWidget* parent);
  void SetPicture(const QIcon& picture);
};

}  // namespace ui
