#include "ui/controls.h"

#include "ui/textboxaccessible.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPalette>
#include <QValidator>
#include <QtMath>

#include <limits>

namespace ui {

int TwipsToPixels(int twips) { return qRound(double(twips) / kTwipsPerPixel); }

void PlaceInTwips(QWidget* widget, int left, int top, int width, int height) {
  widget->setGeometry(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
                      TwipsToPixels(height));
}

QFont SerifFont(double points, bool bold) {
  QFont font(QStringLiteral("MS Serif"));
  font.setStyleHint(QFont::Serif);
  font.setFamilies({QStringLiteral("MS Serif"), QStringLiteral("DejaVu Serif"),
                    QStringLiteral("Liberation Serif"), QStringLiteral("serif")});
  font.setPointSizeF(points);
  font.setBold(bold);
  return font;
}

QColor SystemMenuTextColor() {
  return QApplication::palette("QMenu").color(QPalette::Active, QPalette::Text);
}

Button::Button(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
  connect(this, &QPushButton::clicked, this, &Button::Click);
}

Label::Label(const QString& caption, QWidget* parent) : QLabel(caption, parent) {
  setAttribute(Qt::WA_TranslucentBackground);
  setAutoFillBackground(false);
  setFocusPolicy(Qt::NoFocus);
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
  setWordWrap(true);
}

void Label::SetForeColor(const QColor& color) {
  QPalette pal = palette();
  pal.setColor(QPalette::WindowText, color);
  setPalette(pal);
}

void Label::mousePressEvent(QMouseEvent* event) {
  pressed_ = event->button() == Qt::LeftButton;
  QLabel::mousePressEvent(event);
}

// A click is a press and a release of the left button inside the label.
void Label::mouseReleaseEvent(QMouseEvent* event) {
  const bool click = pressed_ && event->button() == Qt::LeftButton &&
                     rect().contains(event->position().toPoint());
  pressed_ = false;
  QLabel::mouseReleaseEvent(event);
  if (click) emit Click();
}

// Keeps the box to one line of the characters it may hold. QLineEdit runs it on every
// change of the text: typed, pasted, dropped or set.
class LineValidator final : public QValidator {
 public:
  using QValidator::QValidator;
  std::function<bool(char32_t)> holds;

  State validate(QString& input, int& pos) const override {
    qsizetype out = 0;
    int cursor = pos;
    for (qsizetype in = 0; in < input.size(); ++in, ++out) {
      const QChar c = input[in];
      if (c == u'\r' || c == u'\n') break;
      if (!holds) continue;
      const bool pair =
          c.isHighSurrogate() && in + 1 < input.size() && input[in + 1].isLowSurrogate();
      if (holds(pair ? QChar::surrogateToUcs4(c, input[in + 1]) : c.unicode())) {
        input[out] = c;
        if (pair) input[++out] = input[++in];
      } else {
        input[out] = u'?';  // a pair leaves one '?' too
        if (pair && ++in < pos) --cursor;
      }
    }
    input.truncate(out);
    pos = std::min(cursor, static_cast<int>(out));
    return Acceptable;
  }
};

TextBox::TextBox(QWidget* parent) : QLineEdit(parent) {
  InstallTextBoxAccessibility();
  // QLineEdit keeps only the first 32767 characters of a text by default; a longer line
  // would lose its end on a commit.
  setMaxLength(std::numeric_limits<int>::max());
  validator_ = new LineValidator(this);
  setValidator(validator_);
}

void TextBox::SetText(const QString& text) { setText(text); }

void TextBox::SetCharacterSet(std::function<bool(char32_t)> holds) {
  validator_->holds = std::move(holds);
  // The text already in the box goes by the new set too (setting the same text again
  // would change nothing).
  QString current = text();
  int cursor = static_cast<int>(current.size());
  validator_->validate(current, cursor);
  setText(current);
}

void TextBox::keyPressEvent(QKeyEvent* event) {
  // Alt chords are access keys (AltGr, which types, comes as Ctrl+Alt on some systems).
  const Qt::KeyboardModifiers chord = event->modifiers() & (Qt::AltModifier | Qt::ControlModifier);
  if (chord == Qt::AltModifier) {
    event->ignore();
    return;
  }
  const int key = event->key();
  if ((key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_F2) &&
      (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
    ClickInto();
    return;
  }
  QLineEdit::keyPressEvent(event);
}

void TextBox::ClickInto() {
  if (!isEnabled()) return;
  setFocus(Qt::MouseFocusReason);
  emit Click();
}

// Measured from the cursor, the one place of the line whose position the box tells.
QRect TextBox::CharacterRect(int offset) const {
  const QString line = text();
  if (offset < 0 || offset >= line.size()) return {};
  const int cursor = cursorPosition();
  const QFontMetrics metrics(font());
  const int gap = metrics.horizontalAdvance(line.mid(std::min(offset, cursor), std::abs(offset - cursor)));
  const QRect caret = cursorRect();
  const int x = caret.center().x() + (offset < cursor ? -gap : gap);
  return {mapToGlobal(QPoint(x, caret.top())), QSize(metrics.horizontalAdvance(line.mid(offset, 1)), caret.height())};
}

void TextBox::SetColors(const QColor& back, const QColor& fore) {
  QPalette pal = palette();
  pal.setColor(QPalette::Base, back);
  pal.setColor(QPalette::Text, fore);
  setPalette(pal);
}

void TextBox::mousePressEvent(QMouseEvent* event) {
  QLineEdit::mousePressEvent(event);
  if (event->button() == Qt::LeftButton) emit Click();
}

Frame::Frame(QWidget* parent) : QGroupBox(parent) { setFocusPolicy(Qt::NoFocus); }

Picture::Picture(QWidget* parent) : QLabel(parent) {
  setScaledContents(true);
  setFocusPolicy(Qt::NoFocus);
}

void Picture::SetPicture(const QIcon& picture) {
  QSize largest(0, 0);
  for (const QSize& size : picture.availableSizes()) {
    if (size.width() * size.height() > largest.width() * largest.height()) largest = size;
  }
  setPixmap(picture.pixmap(largest, 1.0));
}

}  // namespace ui
