#include "ui/desktop.h"

// Qt asks fontconfig for every face, as the desktop's other programs do.
namespace ui::desktop {

QByteArray Platform() { return {}; }

QString FaceOf(const QString& family) { return family; }

}  // namespace ui::desktop
