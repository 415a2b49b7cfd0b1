#pragma once

#include <QApplication>

#include <memory>

namespace ui {

// Makes the program's QApplication. Where no window can be shown (no display to connect
// to), Qt would print its advice on platform plugins and abort; instead `program` ends
// with one line saying it needs a graphical desktop, and exit code 1. Its text is drawn
// smoothed.
std::unique_ptr<QApplication> StartApplication(int& argc, char** argv, const char* program);

}  // namespace ui
