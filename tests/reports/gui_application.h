#pragma once

#include <QGuiApplication>

namespace velmora::reports {

// Fonts and painting need the application object (off screen in the tests); the first test
// suite that asks makes it, and it stays for the run.
inline void EnsureGuiApplication() {
  if (QGuiApplication::instance() != nullptr) return;
  static int argc = 1;
  static char name[] = "reports_tests";
  static char* argv[] = {name, nullptr};
  new QGuiApplication(argc, argv);
}

}  // namespace velmora::reports
