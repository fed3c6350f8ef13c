#include "ui/loop_status_panel.h"

#include <QGridLayout>
#include <QLabel>

#include "action/editor.h"
#include "electrical/loop_explain.h"
#include "electrical/recalculation.h"
#include "i18n/tr.h"
#include "site/run_state.h"
#include "site/store_error.h"

namespace velmora::ui {
namespace {

const char* const kOverloadStyle = "QLabel { color: #b00020; font-weight: bold; }";
const char* const kNearLimitStyle = "QLabel { color: #8a4b00; font-weight: bold; }";

}  // namespace

LoopStatusPanel::LoopStatusPanel(action::Editor& editor, QWidget* parent)
    : QFrame(parent), editor_(editor) {
  setObjectName("PanelLoopStatus");
  setFrameShape(QFrame::StyledPanel);
  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(6, 4, 6, 4);
  layout->setHorizontalSpacing(12);
  layout->setVerticalSpacing(2);
  status_ = new QLabel(this);
  status_->setObjectName("LabelLoopStatus");
  headroom_ = new QLabel(this);
  headroom_->setObjectName("LabelLoopHeadroom");
  explanation_ = new QLabel(this);
  explanation_->setObjectName("LabelLoopExplanation");
  explanation_->setWordWrap(true);
  for (QLabel* label : {status_, headroom_, explanation_})
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(status_, 0, 0, Qt::AlignLeft | Qt::AlignTop);
  layout->addWidget(headroom_, 0, 1, Qt::AlignLeft | Qt::AlignTop);
  layout->addWidget(explanation_, 1, 0, 1, 2);
  layout->setColumnStretch(1, 1);

  // After every change, undo and navigation the editor says so once; the loop form is then
  // already rendered.
  connect(&editor_, &action::Editor::Changed, this, [this] {
    stale_ = true;
    if (isVisible()) Render();
  });
  connect(&editor_.Work().State(), &site::RunState::TechnicalDetailChanged, this, [this] {
    stale_ = true;
    if (isVisible()) Render();
  });
}

void LoopStatusPanel::showEvent(QShowEvent* event) {
  QFrame::showEvent(event);
  if (stale_) Render();
}

void LoopStatusPanel::Render() {
  stale_ = false;
  const int panel = editor_.LoopForm().panel;
  const int loop = editor_.LoopForm().loop;
  const electrical::LoopResult* result = nullptr;
  electrical::Recalculation found;
  if (panel > 0 && loop > 0 && editor_.Work().Data().doc.IsOpen()) {
    try {
      found = electrical::RecalculatePanels(editor_.Work().Data(), {panel}, false);
      result = found.Loop(panel, loop);
    } catch (const site::StoreError&) {
      result = nullptr;  // nothing to explain until the rows can be read again
    }
  }
  if (result == nullptr) {
    status_->clear();
    headroom_->clear();
    explanation_->clear();
    explanation_->hide();
    return;
  }
  const electrical::LoopHeadroom headroom = HeadroomOf(result->input, result->check);
  const electrical::Standing standing = electrical::StandingOf(result->check, headroom);
  QString status = result->status;
  if (editor_.Work().State().TechnicalDetail())
    status = electrical::WithDrop(status, result->check.drop);
  if (standing == electrical::Standing::kNearLimit) status += ", " + i18n::Tr(N_("near the limit"));
  status_->setText(status);
  status_->setStyleSheet(standing == electrical::Standing::kOverloaded  ? kOverloadStyle
                         : standing == electrical::Standing::kNearLimit ? kNearLimitStyle
                                                                        : "");
  headroom_->setText(electrical::HeadroomText(result->input, headroom));
  const QStringList lines = electrical::LoopExplanation(*result);
  explanation_->setText(lines.join('\n'));
  explanation_->setVisible(!lines.isEmpty());
}

}  // namespace velmora::ui
