#include "ui/output_details_form.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QTableView>
#include <QVBoxLayout>
#include <cmath>

#include "i18n/messages.h"
#include "ui/editable_grid_model.h"
#include "ui/window_texts.h"
#include "workspace/workspace.h"

namespace velmora::ui {

using i18n::Msg;

TFormOutputDetails::TFormOutputDetails(workspace::Workspace& workspace, QWidget* parent)
    : QWidget(parent), workspace_(workspace) {
  setObjectName("TFormOutputDetails");
  SetWindowTitle(this, Msg::kOutputs);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  grid_ = new QTableView(this);
  grid_->setObjectName("DBGridOutputs");
  model_ = new EditableGridModel(workspace_.Doc().Outputs(),
                                 {{"Output", Msg::kOutput, false},
                                  {"MAX", Msg::kMaximumValueMa, false},
                                  {"QuiesentCurrent", Msg::kQuiescentCurrentMa, true},
                                  {"AlarmCurrent", Msg::kAlarmCurrentMa, true}},
                                 workspace_.Prompter(), this);
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

  connect(grid_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            if (current.isValid()) model_->SetCurrentRow(current.row());
          });
  connect(grid_, &QAbstractItemView::clicked, this, [this] { workspace_.State().MarkModified(); });
  connect(model_, &QAbstractItemModel::modelReset, this, [this] {
    for (int c = model_->ShownColumnCount(); c < model_->columnCount(); ++c)
      grid_->setColumnHidden(c, true);
  });
  connect(&workspace_.Views(), &site::DetailViewModel::Changed, this,
          &TFormOutputDetails::OnViewChanged);
  connect(&workspace_, &workspace::Workspace::SiteReplaced, this, [this] { model_->Reset(); });
}

void TFormOutputDetails::OnViewChanged(site::DetailView view) {
  if (view != site::DetailView::kOutputs) return;
  model_->Reset();
  SetWidths();
}

void TFormOutputDetails::SetWidths() {
  const int column_width = int(std::lround(width() * kColumnShare));
  for (int c = 0; c < 4 && c < model_->columnCount(); ++c) grid_->setColumnWidth(c, column_width);
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
