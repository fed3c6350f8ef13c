#pragma once

// The application object of the widget tests: one per test program, made before any widget
// and before any translation (it resets the process locale).

#include <QApplication>

namespace velmora::testing {

inline void EnsureApplication() {
  if (QApplication::instance() != nullptr) return;
  static int argc = 1;
  static char name[] = "ui_tests";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);
}

}  // namespace velmora::testing
