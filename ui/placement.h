#pragma once

class QRect;
class QWidget;

namespace ui {

// Centres a top-level window on `area` as the user sees it: its frame (title bar and
// borders) included. Where the frame is not known before the window is shown (an X11
// window manager adds it once the window is mapped), the window is centred again as soon
// as its frame is known.
void CentreFrameOn(QWidget& window, const QRect& area);

}  // namespace ui
