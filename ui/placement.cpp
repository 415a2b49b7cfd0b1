#include "ui/placement.h"

#include <QBasicTimer>
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

// Centres a window again once it is shown with its frame: an X11 window manager adds the
// frame after the window is mapped, and moves the window into it or not, as it likes. The
// frame may come without an event of its own, so once the window is shown it is also
// looked for every 20 ms, for two seconds.
class FrameWatcher final : public QObject {
 public:
  FrameWatcher(QWidget& window, const QRect& area) : QObject(&window), window_(window), area_(area) {}

  bool eventFilter(QObject*, QEvent* event) override {
    switch (event->type()) {
      case QEvent::Show:
        if (!timer_.isActive()) timer_.start(20, this);
        centreOnceFramed();
        break;
      case QEvent::Move:
      case QEvent::Paint:
      case QEvent::WindowActivate:
        centreOnceFramed();
        break;
      default:
        break;
    }
    return false;
  }

 protected:
  void timerEvent(QTimerEvent*) override {
    if (++ticks_ > 100) return done();
    centreOnceFramed();
  }

 private:
  void centreOnceFramed() {
    if (const QMargins frame = FrameMargins(window_); !frame.isNull()) {
      done();
      MoveFrame(window_, area_, frame);
    }
  }

  void done() {
    timer_.stop();
    window_.removeEventFilter(this);
    deleteLater();
  }

  QWidget& window_;
  QRect area_;
  QBasicTimer timer_;
  int ticks_ = 0;
};

}  // namespace

void CentreFrameOn(QWidget& window, const QRect& area) {
  const QMargins frame = FrameMargins(window);
  MoveFrame(window, area, frame.isNull() ? lastFrame : frame);
  if (frame.isNull()) window.installEventFilter(new FrameWatcher(window, area));
}

}  // namespace ui
