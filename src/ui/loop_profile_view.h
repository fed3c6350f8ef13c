#pragma once

#include <QColor>
#include <QPixmap>
#include <QStaticText>
#include <QStringList>
#include <QWidget>
#include <optional>

#include "electrical/loop_profile.h"
#include "reports/loop_profile_figure.h"

namespace velmora::ui {

// The colour of the advisories, apart from the overload colour: they never change a loop's
// status.
inline const QColor kAdvisoryColor{0x1f, 0x5f, 0xa8};
// The advisory's own mark, a round "i", `diameter` pixels wide on a device of `ratio`.
QPixmap AdvisoryMark(int diameter, qreal ratio);

// The voltage along a loop: the profile's figure with a line above it that names the lowest
// voltages, the device closest to its own minimum and the loop's advisories. Hovering over the
// figure names the device under the pointer. It only shows what it is given; its owner hands it
// the profile after every change of the loop.
class LoopProfileView : public QWidget {
  Q_OBJECT

 public:
  explicit LoopProfileView(QWidget* parent = nullptr);

  // None: the loop has no profile (its panel's protocol gives no lowest voltage).
  void SetProfile(const std::optional<electrical::LoopProfile>& loop);
  // Whether the line of advisories stands above the figure (it does unless its owner shows them
  // elsewhere, beside the loop's status).
  void SetAdvisoriesShown(bool shown);

  const std::optional<reports::ProfileFigure>& Figure() const { return figure_; }
  // The line above the figure and the advisories, in the language of the run.
  QString Summary() const;
  QStringList Advisories() const;
  // What the pointer at `at` names: the device nearest to it along the cable; empty off the plot.
  QString DeviceAt(const QPoint& at) const;
  // Where the figure's curves lie in the view (meaningful while there is a figure).
  reports::FigurePlot Plot() const;

  QSize sizeHint() const override { return QSize(640, 280); }
  QSize minimumSizeHint() const override { return QSize(320, 180); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool event(QEvent* event) override;

 private:
  QRectF FigureRect() const;
  // The lines of text above the figure, cut to the view's width, laid out once per change.
  void LayOutLines();

  std::optional<electrical::LoopProfile> loop_;
  std::optional<reports::ProfileFigure> figure_;
  QStringList advisories_;
  bool advisories_shown_ = true;
  std::vector<QStaticText> lines_;
  QStaticText advisory_line_;
};

}  // namespace velmora::ui
