#include "ui/output_details_form.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QTableView>
#include <QVBoxLayout>
#include <cmath>
#include <vector>

#include "action/editor.h"
#include "electrical/site_rows.h"
#include "i18n/messages.h"
#include "ui/editable_grid_model.h"
#include "ui/window_texts.h"

namespace velmora::ui {

using i18n::Msg;

TFormOutputDetails::TFormOutputDetails(action::Editor& editor, QWidget* parent)
    : QWidget(parent), editor_(editor) {
  setObjectName("TFormOutputDetails");
  SetWindowTitle(this, Msg::kOutputs);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  grid_ = new QTableView(this);
  grid_->setObjectName("DBGridOutputs");
  model_ = new EditableGridModel(
      editor_.Work().Doc().Db(), "Outputs",
      {{"Output", Msg::kOutput, false},
       {"MAX", Msg::kMaximumValueMa, false},
       {"QuiesentCurrent", Msg::kQuiescentCurrentMa, true},
       {"AlarmCurrent", Msg::kAlarmCurrentMa, true}},
      [this] {
        const int panel = editor_.Shown().panel;
        return editor_.Work().Doc().Db().Select("Outputs", electrical::RowsOfPanel(panel),
                                                "OutputNumber");
      },
      [this](int row, const QString& field, const QVariant& value) {
        const site::Row* stored = model_->RowAt(row);
        if (stored == nullptr) return;
        const int output =
            int(electrical::IntAt(*stored, editor_.Work().Doc().Cols().outputs.number));
        const bool quiescent = field.compare("QuiesentCurrent", Qt::CaseInsensitive) == 0;
        editor_.Perform(action::Action::Make(
            "set-output-currents",
            {{"panel", editor_.Shown().panel},
             {"output", output},
             {quiescent ? "quiescent" : "alarm", value.isNull() ? 0.0 : value.toDouble()}}));
      },
      editor_.Work().Prompter(), this);
  grid_->setModel(model_);
  grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  grid_->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed |
                         QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked);
  grid_->setTabKeyNavigation(true);
  grid_->setShowGrid(true);
  grid_->verticalHeader()->hide();
  grid_->horizontalHeader()->setSectionsMovable(false);
  grid_->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
  layout->addWidget(grid_);

  connect(model_, &QAbstractItemModel::modelReset, this, [this] {
    for (int c = model_->ShownColumnCount(); c < model_->columnCount(); ++c)
      grid_->setColumnHidden(c, true);
  });
  connect(&editor_.Views(), &site::DetailViewModel::Changed, this,
          &TFormOutputDetails::OnViewChanged);
  connect(&editor_, &action::Editor::Changed, this, [this] {
    if (editor_.Shown().view == site::DetailView::kOutputs) model_->Sync();
  });
}

void TFormOutputDetails::OnViewChanged(site::DetailView view) {
  if (view != site::DetailView::kOutputs) return;
  model_->Reset();
  SetWidths();
}

void TFormOutputDetails::SetWidths() {
  SetColumnWidths(grid_, std::vector<int>(4, int(std::lround(width() * kColumnShare))));
}

void TFormOutputDetails::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  SetWidths();
}

void TFormOutputDetails::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  SetWidths();
}

void TFormOutputDetails::closeEvent(QCloseEvent* event) {
  // Only the main window hides the view.
  event->ignore();
}

}  // namespace velmora::ui
