#include "ui/image_list.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmapCache>
#include <QPolygonF>
#include <cmath>
#include <functional>
#include <numbers>

#include "site/images.h"

namespace velmora::ui {
namespace {

const QColor kOutline(0x45, 0x5a, 0x64);
const QColor kBlue(0x15, 0x65, 0xc0);
const QColor kRed(0xc6, 0x28, 0x28);
const QColor kDarkRed(0x7f, 0x16, 0x16);
const QColor kGreen(0x2e, 0x7d, 0x32);
const QColor kOrange(0xef, 0x6c, 0x00);

QPen Pen(const QColor& color, double width = 1.0) {
  QPen pen(color, width);
  pen.setJoinStyle(Qt::RoundJoin);
  pen.setCapStyle(Qt::RoundCap);
  return pen;
}

// A 16 x 16 picture: drawn on a transparent image with antialiasing, lines on half pixels.
QPixmap Draw(const std::function<void(QPainter&)>& paint) {
  QImage image(ImageList::kSize, ImageList::kSize, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  paint(painter);
  painter.end();
  return QPixmap::fromImage(image);
}

void Box(QPainter& p, const QRectF& box, const QColor& fill, const QColor& border) {
  p.setPen(Pen(border));
  p.setBrush(fill);
  p.drawRoundedRect(box, 1.5, 1.5);
}

// The expand and collapse commands: a box with a plus or a minus; the "all" commands show a
// second box behind it.
void SignBox(QPainter& p, bool plus, bool all) {
  if (all) Box(p, QRectF(5.5, 1.5, 9, 9), QColor(0xe3, 0xea, 0xee), kOutline);
  const QRectF front = all ? QRectF(1.5, 5.5, 9, 9) : QRectF(2.5, 2.5, 11, 11);
  Box(p, front, Qt::white, kOutline);
  p.setPen(Pen(kBlue, 1.6));
  const QPointF c = front.center();
  const double arm = all ? 2.6 : 3.2;
  p.drawLine(QPointF(c.x() - arm, c.y()), QPointF(c.x() + arm, c.y()));
  if (plus) p.drawLine(QPointF(c.x(), c.y() - arm), QPointF(c.x(), c.y() + arm));
}

void Site(QPainter& p) {
  p.setPen(Pen(kOutline));
  p.setBrush(QColor(0xb0, 0xbe, 0xc5));
  p.drawRect(QRectF(3.5, 7.5, 9, 7));
  p.setBrush(kRed);
  p.drawPolygon(QPolygonF({QPointF(1.5, 8), QPointF(8, 1.5), QPointF(14.5, 8)}));
  p.setPen(Qt::NoPen);
  p.setBrush(kOutline);
  p.drawRect(QRectF(7, 10, 2, 4.5));
}

void Panel(QPainter& p) {
  p.setPen(Pen(kDarkRed));
  p.setBrush(kRed);
  p.drawRoundedRect(QRectF(2.5, 1.5, 11, 13), 1.5, 1.5);
  p.setPen(Pen(QColor(0x1b, 0x3a, 0x1d)));
  p.setBrush(QColor(0xc8, 0xe6, 0xc9));
  p.drawRect(QRectF(4.5, 3.5, 7, 4));
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  for (double x : {4.5, 7.0, 9.5}) p.drawRect(QRectF(x, 10, 2, 2));
}

void Choice(QPainter& p, int state) {
  const QRectF box(2.5, 2.5, 11, 11);
  if (state == site::kImageNotAvailable) {
    // Greyed out and struck through, so it never reads as an empty box.
    Box(p, box, QColor(0xcf, 0xd8, 0xdc), QColor(0x90, 0xa4, 0xae));
    p.setPen(Pen(QColor(0x78, 0x90, 0x9c), 1.4));
    p.drawLine(QPointF(4.5, 11.5), QPointF(11.5, 4.5));
    return;
  }
  Box(p, box, Qt::white, kOutline);
  if (state == site::kImageTicked) {
    p.setPen(Pen(kGreen, 2.0));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({QPointF(4.8, 8.2), QPointF(7.0, 10.6), QPointF(11.4, 5.2)}));
  }
}

void Loop(QPainter& p) {
  p.setPen(Pen(kOrange, 2.0));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QPointF(8, 8), 5.5, 5.5);
  p.setPen(Pen(kOutline));
  p.setBrush(Qt::white);
  for (double degrees : {90.0, 210.0, 330.0}) {
    const double a = degrees * std::numbers::pi / 180.0;
    p.drawEllipse(QPointF(8 + 5.5 * std::cos(a), 8 - 5.5 * std::sin(a)), 1.8, 1.8);
  }
}

void Outputs(QPainter& p) {
  p.setPen(Pen(QColor(0x0d, 0x47, 0xa1)));
  p.setBrush(kBlue);
  p.drawPolygon(QPolygonF({QPointF(1.5, 6), QPointF(4.5, 6), QPointF(9, 2.5), QPointF(9, 13.5),
                           QPointF(4.5, 10), QPointF(1.5, 10)}));
  p.setPen(Pen(kBlue, 1.3));
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRectF(8.5, 5, 5, 6), -50 * 16, 100 * 16);
  p.drawArc(QRectF(8.5, 2.5, 7, 11), -55 * 16, 110 * 16);
}

QPixmap Make(int index) {
  using namespace site;
  switch (index) {
    case kImageRoot:
      return Draw(Site);
    case kImageExpandAll:
      return Draw([](QPainter& p) { SignBox(p, true, true); });
    case kImageExpandPanelDetails:
      return Draw([](QPainter& p) { SignBox(p, true, false); });
    case kImageCollapseAll:
      return Draw([](QPainter& p) { SignBox(p, false, true); });
    case kImageCollapsePanelDetails:
      return Draw([](QPainter& p) { SignBox(p, false, false); });
    case kImagePanel:
      return Draw(Panel);
    case kImageUnticked:
    case kImageTicked:
    case kImageNotAvailable:
      return Draw([index](QPainter& p) { Choice(p, index); });
    case kImageLoop:
      return Draw(Loop);
    case kImageOutputs:
      return Draw(Outputs);
    default:
      return QPixmap();
  }
}

}  // namespace

bool ImageList::Has(int index) { return !Pixmap(index).isNull(); }

QPixmap ImageList::Pixmap(int index) {
  if (index < 0 || index >= kCount) return QPixmap();
  // Drawn once and kept in Qt's pixmap cache (emptied with the application): a big site's tree
  // asks for the same few pictures thousands of times.
  const QString key = QStringLiteral("velmora-image-%1").arg(index);
  QPixmap pixmap;
  if (!QPixmapCache::find(key, &pixmap)) {
    pixmap = Make(index);
    QPixmapCache::insert(key, pixmap);
  }
  return pixmap;
}

QIcon ImageList::Icon(int index) {
  const QPixmap pixmap = Pixmap(index);
  return pixmap.isNull() ? QIcon() : QIcon(pixmap);
}

QPixmap ProgramPixmap(int size) {
  // Drawn on a 32 x 32 grid, the same figure as data/icons/velmora.svg: a red tile, a white loop
  // with its devices, and the panel at the head of the loop.
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 32.0, size / 32.0);
  p.setPen(Qt::NoPen);
  p.setBrush(kRed);
  p.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
  p.setPen(QPen(Qt::white, 2.6));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QPointF(16, 18), 9, 9);
  p.setPen(QPen(kRed, 1.2));
  p.setBrush(Qt::white);
  for (double degrees : {200.0, 270.0, 340.0}) {
    const double a = degrees * std::numbers::pi / 180.0;
    p.drawEllipse(QPointF(16 + 9 * std::cos(a), 18 - 9 * std::sin(a)), 2.6, 2.6);
  }
  p.setPen(QPen(kRed, 1.2));
  p.setBrush(Qt::white);
  p.drawRoundedRect(QRectF(11, 4, 10, 8), 1.5, 1.5);
  p.setPen(Qt::NoPen);
  p.setBrush(kRed);
  p.drawRect(QRectF(13, 6, 6, 2));
  p.end();
  return QPixmap::fromImage(image);
}

QIcon ProgramIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256}) icon.addPixmap(ProgramPixmap(size));
  return icon;
}

}  // namespace velmora::ui
