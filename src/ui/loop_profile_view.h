#pragma once

#include <QStaticText>
#include <QStringList>
#include <QWidget>
#include <optional>

#include "electrical/loop_profile.h"
#include "reports/loop_profile_figure.h"

namespace velmora::ui {

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
  std::vector<QStaticText> lines_;
  QStaticText advisory_line_;
};

}  // namespace velmora::ui
