#include "ui/controls.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPalette>
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
  setAutoDefault(false);
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

TextBox::TextBox(QWidget* parent) : QLineEdit(parent) {
  // QLineEdit keeps only the first 32767 characters of a text by default; a longer line
  // would lose its end on a commit.
  setMaxLength(std::numeric_limits<int>::max());
  connect(this, &QLineEdit::textChanged, this, [this](const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
      if (text[i] == u'\r' || text[i] == u'\n') {
        setText(text.left(i));
        return;
      }
    }
  });
}

void TextBox::SetText(const QString& text) { setText(text); }

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

void Picture::SetPicture(const QPixmap& picture) { setPixmap(picture); }

}  // namespace ui
