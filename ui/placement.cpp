#include "ui/placement.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace ui {
namespace {

// The frame last seen around one of the program's windows: the best guess for a window
// whose own frame is not known yet, as one window manager frames them all alike.
QMargins lastFrame;

// The window's frame; none while it is not known. A frame being put together by an X11
// window manager measures as good as nothing for a moment, far smaller than the window:
// not the frame yet. (Under Wine a fixed border can measure a pixel less than nothing at
// the sides; that one is the frame.)
QMargins FrameMargins(const QWidget& window) {
  const QWindow* handle = window.windowHandle();
  const QMargins frame = handle != nullptr ? handle->frameMargins() : QMargins();
  const QSize framed = window.size().grownBy(frame);
  if (framed.width() < window.width() / 2 || framed.height() < window.height() / 2) return {};
  if (!frame.isNull()) lastFrame = frame;
  return frame;
}

void MoveFrame(QWidget& window, const QRect& area, const QMargins& frame) {
  const QRect framed(QPoint(), window.size().grownBy(frame));
  // Placed by its inner area, which the window system never takes for anything else.
  const QPoint inner = area.center() - framed.center() + QPoint(frame.left(), frame.top());
  window.setGeometry(QRect(inner, window.size()));
}

// Centres a window again once its frame is known. An X11 window manager frames a window
// as it is mapped, after it was shown, and tells of the frame (or reparents the window
// into it) before the window is first exposed: its first paint is the first moment the
// frame can be known. (Qt has no event of the frame's own.) Until then the window stands
// where the frame last seen put it. On Windows a window knows its frame once it exists:
// only a window placed before it is shown waits for its first paint.
class FrameWatcher final : public QObject {
 public:
  FrameWatcher(QWidget& window, const QRect& area) : QObject(&window), window_(window), area_(area) {}

  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::Paint) return false;
    if (const QMargins frame = FrameMargins(window_); !frame.isNull()) {
      window_.removeEventFilter(this);
      deleteLater();
      MoveFrame(window_, area_, frame);
    }
    return false;
  }

 private:
  QWidget& window_;
  QRect area_;
};

}  // namespace

void CentreFrameOn(QWidget& window, const QRect& area) {
  const QMargins frame = FrameMargins(window);
  MoveFrame(window, area, frame.isNull() ? lastFrame : frame);
  if (frame.isNull()) window.installEventFilter(new FrameWatcher(window, area));
}

}  // namespace ui
