#pragma once

#include <QString>

// What the desktop the program runs on decides about its text, one implementation per
// platform.
namespace ui::desktop {

// Called before the application is made: the platform's options for it.
void BeforeApplication();

// The face the desktop draws text of `family` in, known to Qt's font database: `family`
// itself where Qt finds it as the desktop does.
QString FaceOf(const QString& family);

}  // namespace ui::desktop
