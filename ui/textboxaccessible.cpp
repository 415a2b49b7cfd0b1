#include "ui/textboxaccessible.h"

#include "ui/controls.h"

#include <QAccessibleWidget>

#include <algorithm>

namespace ui {

namespace {

class TextBoxAccessible final : public QAccessibleWidget,
                                public QAccessibleTextInterface,
                                public QAccessibleEditableTextInterface {
 public:
  explicit TextBoxAccessible(TextBox* box) : QAccessibleWidget(box, QAccessible::EditableText) {}

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    if (type == QAccessible::EditableTextInterface) return static_cast<QAccessibleEditableTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }

  QString text(QAccessible::Text t) const override {
    return t == QAccessible::Value ? box()->Text() : QAccessibleWidget::text(t);
  }
  void setText(QAccessible::Text t, const QString& text) override {
    if (t == QAccessible::Value) replaceText(0, characterCount(), text);
    else QAccessibleWidget::setText(t, text);
  }
  QAccessible::State state() const override {
    QAccessible::State state = QAccessibleWidget::state();
    state.editable = true;
    state.readOnly = box()->isReadOnly();
    state.selectableText = true;
    return state;
  }

  // The click into the box, besides taking the focus.
  QStringList actionNames() const override {
    QStringList names = QAccessibleWidget::actionNames();
    if (box()->isEnabled()) names.prepend(pressAction());
    return names;
  }
  void doAction(const QString& action) override {
    if (action == pressAction()) box()->ClickInto();
    else QAccessibleWidget::doAction(action);
  }

  // QAccessibleTextInterface
  QString text(int startOffset, int endOffset) const override {
    const auto [from, to] = range(startOffset, endOffset);
    return box()->Text().mid(from, to - from);
  }
  int characterCount() const override { return static_cast<int>(box()->Text().size()); }
  int cursorPosition() const override { return box()->cursorPosition(); }
  void setCursorPosition(int position) override { box()->setCursorPosition(position); }
  int selectionCount() const override { return box()->hasSelectedText() ? 1 : 0; }
  void selection(int index, int* startOffset, int* endOffset) const override {
    *startOffset = *endOffset = 0;
    if (index != 0 || !box()->hasSelectedText()) return;
    *startOffset = box()->selectionStart();
    *endOffset = box()->selectionEnd();
  }
  void addSelection(int startOffset, int endOffset) override { setSelection(0, startOffset, endOffset); }
  void removeSelection(int index) override {
    if (index == 0) box()->deselect();
  }
  void setSelection(int index, int startOffset, int endOffset) override {
    const auto [from, to] = range(startOffset, endOffset);
    if (index == 0) box()->setSelection(from, to - from);
  }
  // A reader asks for the text around an offset, or around the cursor (-2).
  QString textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int* start, int* end) const override {
    return QAccessibleTextInterface::textBeforeOffset(at(offset), type, start, end);
  }
  QString textAfterOffset(int offset, QAccessible::TextBoundaryType type, int* start, int* end) const override {
    return QAccessibleTextInterface::textAfterOffset(at(offset), type, start, end);
  }
  QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int* start, int* end) const override {
    return QAccessibleTextInterface::textAtOffset(at(offset), type, start, end);
  }
  QRect characterRect(int offset) const override { return box()->CharacterRect(offset); }
  int offsetAtPoint(const QPoint& point) const override {
    return box()->cursorPositionAt(box()->mapFromGlobal(point));
  }
  void scrollToSubstring(int startIndex, int endIndex) override {
    box()->setCursorPosition(endIndex);
    box()->setCursorPosition(startIndex);
  }
  QString attributes(int offset, int* startOffset, int* endOffset) const override {
    *startOffset = *endOffset = offset;  // one font, one colour: no attributes
    return {};
  }

  // QAccessibleEditableTextInterface: edits go in as a typed text does, each character
  // the box may not hold becoming "?", and not while the box is read-only.
  void deleteText(int startOffset, int endOffset) override { replaceText(startOffset, endOffset, {}); }
  void insertText(int offset, const QString& text) override { replaceText(offset, offset, text); }
  void replaceText(int startOffset, int endOffset, const QString& text) override {
    if (box()->isReadOnly()) return;
    const auto [from, to] = range(startOffset, endOffset);
    box()->SetText(box()->Text().replace(from, to - from, text));
  }

 private:
  TextBox* box() const { return static_cast<TextBox*>(widget()); }
  int at(int offset) const { return offset == -2 ? cursorPosition() : offset; }
  // Offsets as a reader gives them (an end of -1: the end of the text), kept in the text.
  std::pair<int, int> range(int start, int end) const {
    const int count = characterCount();
    const int from = std::clamp(start, 0, count);
    return {from, end < 0 ? count : std::clamp(end, from, count)};
  }
};

QAccessibleInterface* Factory(const QString&, QObject* object) {
  if (auto* box = qobject_cast<TextBox*>(object)) return new TextBoxAccessible(box);
  return nullptr;
}

}  // namespace

void InstallTextBoxAccessibility() {
  static const bool installed = (QAccessible::installFactory(Factory), true);
  (void)installed;
}

}  // namespace ui
