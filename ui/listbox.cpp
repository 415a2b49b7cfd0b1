#include "ui/listbox.h"

#include "ui/listboxaccessible.h"

#include <QHoverEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <climits>
#include <cstring>
#include <type_traits>

namespace ui {

// --- ListModel -------------------------------------------------------------------------

int ListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : count();
}

QVariant ListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= count()) return {};
  if (role != Qt::DisplayRole) return {};
  return items_.view(index.row()).visit([](auto view) {
    return view.first(std::min<qsizetype>(view.size(), kShownCharacters)).toString();
  });
}

void ListModel::insert(int row, QAnyStringView item) {
  beginInsertRows({}, row, row);
  items_.insert(row, item);
  endInsertRows();
}

void ListModel::append(std::span<const QAnyStringView> items) {
  if (items.empty()) return;
  const int first = count();
  beginInsertRows({}, first, first + static_cast<int>(items.size()) - 1);
  items_.append(items);
  endInsertRows();
}

void ListModel::remove(int row) {
  beginRemoveRows({}, row, row);
  items_.remove(row);
  endRemoveRows();
}

void ListModel::clear() {
  beginResetModel();
  items_.clear();
  endResetModel();
}

// --- ListBox ---------------------------------------------------------------------------

ListBox::ListBox(QWidget* parent) : QAbstractItemView(parent), model_(new ListModel(this)) {
  InstallListBoxAccessibility();
  setModel(model_);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setAttribute(Qt::WA_MacShowFocusRect);

  // The view moves its current item before it selects it: follow both.
  connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this] { takeSelectionFromView(); });
  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { takeSelectionFromView(); });
  connect(this, &QAbstractItemView::doubleClicked, this, [this] { emit DblClick(); });
  // A removed last item may have set the size of all.
  connect(model_, &QAbstractItemModel::rowsRemoved, this, [this] {
    forgetItemSize();
    scheduleDelayedItemsLayout();
  });
}

// --- Layout: rows of one height, one below the other ----------------------------------

QSize ListBox::itemSize() const {
  if (!itemSize_.isValid()) {
    const int count = model_->count();
    if (count == 0) return {0, 0};
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QModelIndex last = model_->index(count - 1);
    const QAbstractItemDelegate* delegate = itemDelegateForIndex(last);
    itemSize_ = delegate ? delegate->sizeHint(option, last) : QSize(0, 0);
  }
  return itemSize_;
}

void ListBox::forgetItemSize() { itemSize_ = QSize(); }

int ListBox::rowAt(int y) const {
  const int height = rowHeight();
  if (height <= 0) return -1;
  const qint64 contentY = qint64{y} + contentOffset();
  if (contentY < 0) return -1;
  const qint64 row = contentY / height;
  return row < model_->count() ? static_cast<int>(row) : -1;
}

QRect ListBox::rowRect(int row) const {
  const QSize size = itemSize();
  // Items are as wide as the viewport, or as the widest item when that is wider. A row
  // far out of view is placed as far out as a rectangle can go.
  const qint64 top = qint64{row} * size.height() - contentOffset();
  return QRect(-horizontalOffset(), static_cast<int>(std::clamp<qint64>(top, -kFarOut, kFarOut)),
               std::max(size.width(), viewport()->width()), size.height());
}

QRect ListBox::visualRect(const QModelIndex& index) const {
  if (!index.isValid() || index.model() != model_ || index.row() >= model_->count()) return {};
  return rowRect(index.row());
}

QModelIndex ListBox::indexAt(const QPoint& point) const {
  const int row = rowAt(point.y());
  return row < 0 ? QModelIndex() : model_->index(row);
}

int ListBox::horizontalOffset() const { return horizontalScrollBar()->value(); }

qint64 ListBox::contentOffset() const {
  const int value = verticalScrollBar()->value();
  return scrollsPerItem() ? qint64{value} * rowHeight() : value;
}

int ListBox::verticalOffset() const {
  return static_cast<int>(std::min<qint64>(contentOffset(), kFarOut));
}

bool ListBox::isIndexHidden(const QModelIndex&) const { return false; }

void ListBox::initViewItemOption(QStyleOptionViewItem* option) const {
  QAbstractItemView::initViewItemOption(option);
  if (!iconSize().isValid()) {
    const int size = style()->pixelMetric(QStyle::PM_ListViewIconSize, nullptr, this);
    option->decorationSize = QSize(size, size);
  }
  option->decorationPosition = QStyleOptionViewItem::Left;
}

void ListBox::updateGeometries() {
  const int count = model_->count();
  const QSize item = itemSize();
  if (count == 0 || item.height() <= 0) {
    horizontalScrollBar()->setRange(0, 0);
    verticalScrollBar()->setRange(0, 0);
    QAbstractItemView::updateGeometries();
    return;
  }
  const qint64 contentHeight = qint64{count} * item.height();
  const int viewportHeight = viewport()->height();
  if (scrollsPerItem()) {
    // A page is as many whole rows as the viewport holds.
    const int pageRows = contentHeight > viewportHeight ? viewportHeight / item.height() : count + 1;
    verticalScrollBar()->setSingleStep(1);
    verticalScrollBar()->setPageStep(pageRows);
    verticalScrollBar()->setRange(0, std::max(0, count - pageRows));
  } else {
    verticalScrollBar()->setSingleStep(item.height());
    verticalScrollBar()->setPageStep(viewportHeight);
    verticalScrollBar()->setRange(
        0, static_cast<int>(std::clamp<qint64>(contentHeight - viewportHeight, 0, INT_MAX)));
  }

  horizontalScrollBar()->setSingleStep(item.width());
  horizontalScrollBar()->setPageStep(viewport()->width());
  // Both bars are shown as needed: a bar that only the other one's width calls for would
  // make the two take turns appearing, so decide from the area without bars.
  const QSize area = contentsRect().marginsRemoved(viewportMargins()).size();
  const bool verticalWanted = contentHeight > area.height();
  const int barWidth = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, verticalScrollBar());
  const bool horizontalWanted = item.width() > area.width() - (verticalWanted ? barWidth : 0);
  horizontalScrollBar()->setRange(0, horizontalWanted ? std::max(0, item.width() - viewport()->width()) : 0);

  QAbstractItemView::updateGeometries();
}

void ListBox::scrollContentsBy(int dx, int dy) {
  // A move of more than the viewport's height repaints it all, however far it goes.
  const qint64 pixels = scrollsPerItem() ? qint64{dy} * rowHeight() : dy;
  const qint64 beyond = qint64{viewport()->height()} + 1;
  QAbstractItemView::scrollContentsBy(dx, static_cast<int>(std::clamp(pixels, -beyond, beyond)));
}

void ListBox::scrollTo(const QModelIndex& index, ScrollHint hint) {
  if (!index.isValid() || index.model() != model_) return;
  const QRect rect = visualRect(index);
  if (!rect.isValid()) return;
  const QRect area = viewport()->rect();
  if (hint == EnsureVisible) {
    if (rect.top() < area.top()) hint = PositionAtTop;
    else if (rect.bottom() > area.bottom()) hint = PositionAtBottom;
    else return;  // in view from top to bottom; the view never scrolls sideways to it
  }
  QScrollBar* bar = verticalScrollBar();
  if (scrollsPerItem()) {
    const int row = index.row();
    // Rows that fit from the top of the viewport down to `row` included.
    const int fit = std::clamp(area.height() / std::max(1, rect.height()), 1, row + 1);
    switch (hint) {
      case PositionAtTop: bar->setValue(row); break;
      case PositionAtBottom: bar->setValue(row - fit + 1); break;
      case PositionAtCenter: bar->setValue(row - fit / 2); break;
      case EnsureVisible: break;
    }
  } else {
    switch (hint) {
      case PositionAtTop: bar->setValue(bar->value() + rect.top()); break;
      case PositionAtBottom:
        bar->setValue(bar->value() + std::min(rect.top(), rect.bottom() - area.height() + 1));
        break;
      case PositionAtCenter:
        bar->setValue(bar->value() + rect.top() - (area.height() - rect.height()) / 2);
        break;
      case EnsureVisible: break;
    }
  }
}

// Up and down by one row, a page, or to either end; left and right stay put.
QModelIndex ListBox::moveCursor(CursorAction action, Qt::KeyboardModifiers) {
  const int count = model_->count();
  if (count == 0) return {};
  const QModelIndex current = currentIndex();
  if (!current.isValid()) return model_->index(0);
  const int row = current.row();
  const int height = rowHeight();
  const int viewportHeight = viewport()->height();
  // A page moves to the farthest row that still shares the viewport with the current one.
  const int pageRows = height > 0 ? viewportHeight / height : 1;
  int target = row;
  switch (action) {
    case MoveUp:
    case MovePrevious: target = row - 1; break;
    case MoveDown:
    case MoveNext: target = row + 1; break;
    case MovePageUp: target = height >= viewportHeight ? row - 1 : row + 1 - pageRows; break;
    case MovePageDown: target = height >= viewportHeight ? row + 1 : row + pageRows - 1; break;
    case MoveHome: target = 0; break;
    case MoveEnd: target = count - 1; break;
    case MoveLeft:
    case MoveRight: break;
  }
  // Past either end the selection stays on the first or the last row.
  return model_->index(std::clamp(target, 0, count - 1));
}

void ListBox::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) {
  // A list of single selection is only ever asked for the row under one point.
  const int row = rowAt(rect.normalized().top());
  QItemSelection selection;
  if (row >= 0) selection.select(model_->index(row), model_->index(row));
  selectionModel()->select(selection, command);
}

QRegion ListBox::visualRegionForSelection(const QItemSelection& selection) const {
  QRegion region;
  const QRect area = viewport()->rect();
  for (const QItemSelectionRange& range : selection) {
    if (!range.isValid() || range.parent().isValid()) continue;
    const QRect rect = rowRect(range.top()).united(rowRect(range.bottom()));
    if (area.intersects(rect)) region += rect & area;
  }
  return region;
}

namespace {

// The classic dotted frame, in the items' own colour: the styles' frames are faint or
// missing on a dark list, and some draw one only after the focus came by Tab.
void drawFocusFrame(QPainter& painter, const QStyleOptionViewItem& option) {
  painter.save();
  painter.setPen(QPen(option.palette.color(QPalette::Text), 1, Qt::DotLine));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(option.rect.adjusted(0, 0, -1, -1));
  painter.restore();
}

}  // namespace

void ListBox::paintEvent(QPaintEvent* event) {
  const int count = model_->count();
  const int height = rowHeight();
  if (count == 0 || height <= 0) return;
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  const QStyle::State state = option.state;
  const bool enabled = state & QStyle::State_Enabled;
  const QModelIndex current = currentIndex();
  // A keyboard user sees where they are whenever the list has the focus, also after a
  // click or a commit: on the current item, or where the keyboard goes when none is.
  const bool focus = hasFocus() || viewport()->hasFocus();
  const int focusRow = current.isValid() ? current.row() : 0;
  QPainter painter(viewport());

  const QRect dirty = event->rect();
  int first = rowAt(dirty.top());
  if (first < 0) {
    if (qint64{dirty.top()} + contentOffset() >= qint64{count} * height) return;
    first = 0;
  }
  const int lastVisible = rowAt(dirty.bottom());
  const int last = lastVisible < 0 ? count - 1 : lastVisible;
  for (int row = first; row <= last; ++row) {
    const QModelIndex index = model_->index(row);
    option.rect = rowRect(row);
    option.state = state;
    if (selectionModel()->isSelected(index)) option.state |= QStyle::State_Selected;
    // Every item is enabled; a disabled list draws them all disabled.
    if (enabled) option.palette.setCurrentColorGroup(QPalette::Normal);
    option.state.setFlag(QStyle::State_MouseOver, row == hoverRow_);
    itemDelegateForIndex(index)->paint(&painter, option, index);
    if (focus && row == focusRow) drawFocusFrame(painter, option);
  }
}

bool ListBox::viewportEvent(QEvent* event) {
  switch (event->type()) {
    case QEvent::HoverEnter:
    case QEvent::HoverMove:
      hoverRow_ = rowAt(static_cast<QHoverEvent*>(event)->position().toPoint().y());
      break;
    case QEvent::HoverLeave:
    case QEvent::Leave:
      hoverRow_ = -1;
      break;
    default:
      break;
  }
  return QAbstractItemView::viewportEvent(event);
}

void ListBox::changeEvent(QEvent* event) {
  if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
    forgetItemSize();
    scheduleDelayedItemsLayout();
  }
  QAbstractItemView::changeEvent(event);
}

// --- Changes of the items --------------------------------------------------------------

void ListBox::reset() {
  forgetItemSize();
  hoverRow_ = -1;
  QAbstractItemView::reset();
}

void ListBox::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                          const QList<int>& roles) {
  forgetItemSize();
  scheduleDelayedItemsLayout();
  QAbstractItemView::dataChanged(topLeft, bottomRight, roles);
}

void ListBox::rowsInserted(const QModelIndex& parent, int start, int end) {
  forgetItemSize();
  hoverRow_ = -1;
  scheduleDelayedItemsLayout();
  QAbstractItemView::rowsInserted(parent, start, end);
}

void ListBox::rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) {
  QAbstractItemView::rowsAboutToBeRemoved(parent, start, end);
  hoverRow_ = -1;
  // The size is taken again once the rows are gone (see the constructor).
}

void ListBox::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  QAbstractItemView::currentChanged(current, previous);
  // The focus frame stands on the first row while no item is current.
  if ((!current.isValid() || !previous.isValid()) && model_->count() > 0)
    viewport()->update(rowRect(0));
}

// --- The control model -----------------------------------------------------------------

void ListBox::takeSelectionFromView() {
  if (syncing_) return;
  const QModelIndex current = currentIndex();
  listIndex_ = current.isValid() && selectionModel()->isSelected(current) ? current.row() : -1;
}

// Puts the view's current item and selection where listIndex_ says.
void ListBox::showSelection() {
  syncing_ = true;
  if (listIndex_ >= 0) {
    const QModelIndex index = model_->index(listIndex_);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
  } else {
    selectionModel()->clear();
  }
  syncing_ = false;
}

void ListBox::AddItem(const QString& item, int index) {
  const int row = index < 0 || index > ListCount() ? ListCount() : index;
  syncing_ = true;
  model_->insert(row, item);
  syncing_ = false;
  if (listIndex_ >= row) ++listIndex_;  // the view's selection moved down with its item
}

void ListBox::AddItems(std::vector<QString>&& items) {
  const std::vector<QAnyStringView> views(items.begin(), items.end());
  AddItems(views);
}

void ListBox::AddItems(std::span<const QAnyStringView> items) {
  syncing_ = true;
  model_->append(items);
  syncing_ = false;
}

void ListBox::RemoveItem(int index) {
  if (index < 0 || index >= ListCount()) return;
  syncing_ = true;
  model_->remove(index);
  syncing_ = false;
  if (index == listIndex_) listIndex_ = -1;
  else if (index < listIndex_) --listIndex_;
  showSelection();
}

void ListBox::Clear() {
  syncing_ = true;
  model_->clear();
  syncing_ = false;
  listIndex_ = -1;
  showSelection();
}

QString ListBox::List(int index) const {
  return index >= 0 && index < ListCount() ? model_->at(index) : QString();
}

QAnyStringView ListBox::ItemView(int index) const {
  return index >= 0 && index < ListCount() ? model_->view(index) : QAnyStringView();
}

void ListBox::SetListIndex(int index) {
  listIndex_ = index >= 0 && index < ListCount() ? index : -1;
  showSelection();
}

QString ListBox::Text() const { return List(listIndex_); }

bool ListBox::ClickItem(int row) {
  if (!isEnabled() || SelectionLocked() || row < 0 || row >= ListCount()) return false;
  SetFocus();
  SetListIndex(row);
  emit Click();
  return true;
}

// The click comes first, as it does with the mouse: whatever the text box was given
// since, it holds this item again when DblClick runs.
void ListBox::DoubleClickItem(int row) {
  if (ClickItem(row)) emit DblClick();
}

// Selecting with the keyboard is a click as well.
void ListBox::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
    const QModelIndex current = currentIndex();
    DoubleClickItem(current.isValid() ? current.row() : 0);
    return;
  }
  const int before = listIndex_;
  QAbstractItemView::keyPressEvent(event);
  if (listIndex_ != before && listIndex_ >= 0) emit Click();
}

void ListBox::mousePressEvent(QMouseEvent* event) {
  indexAtPress_ = listIndex_;
  QAbstractItemView::mousePressEvent(event);
}

// A click on an item is a Click, and so is a drag that ended with another item selected:
// the selection follows the pointer while the button is down.
void ListBox::mouseReleaseEvent(QMouseEvent* event) {
  QAbstractItemView::mouseReleaseEvent(event);
  if (event->button() != Qt::LeftButton || listIndex_ < 0) return;
  if (listIndex_ != indexAtPress_ || indexAt(event->position().toPoint()).row() == listIndex_) emit Click();
}

}  // namespace ui
