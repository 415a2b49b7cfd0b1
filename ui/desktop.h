#pragma once

#include <QByteArray>
#include <QString>

// What the desktop the program runs on decides about its text, one implementation per
// platform.
namespace ui::desktop {

// The platform plugin and its options the application is made with, where the desktop
// needs other ones than Qt's own choice; empty otherwise.
QByteArray Platform();

// The face the desktop draws text of `family` in, known to Qt's font database: `family`
// itself where Qt finds it as the desktop does.
QString FaceOf(const QString& family);

}  // namespace ui::desktop
