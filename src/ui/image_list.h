#pragma once

#include <QIcon>
#include <QPixmap>

namespace velmora::ui {

// The main window's image list: 16 x 16 pictures at the positions site/images.h names (root,
// expand and collapse commands, panel, the three states of a choice button, loop, outputs).
// Positions without a role give a null pixmap. Needs a QGuiApplication.
class ImageList {
 public:
  static constexpr int kSize = 16;
  static constexpr int kCount = 22;

  static QPixmap Pixmap(int index);
  static QIcon Icon(int index);
  // Whether a position has a picture.
  static bool Has(int index);
};

// The program's own icon at a square size in pixels (the about box shows it at 32).
QPixmap ProgramPixmap(int size);
// The program's icon at the usual sizes, for windows and the task bar.
QIcon ProgramIcon();

}  // namespace velmora::ui
