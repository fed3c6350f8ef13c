#include "ui/site_details_form.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "ui/window_texts.h"

namespace velmora::ui {
namespace {

struct LineField {
  const char* column;
  const char* component;
  WindowText label;
};

// The single-line fields, top to bottom.
constexpr LineField kLineFields[] = {
    {"SiteName", "DBEditSiteName", N_("Site Name")},
    {"SiteDate", "DBEditSiteDate", N_("Site Date")},
    {"ContactName", "DBEditContactName", N_("Contact Name")},
    {"AddressLine1", "DBEditAddressLine1", N_("Address Line 1")},
    {"AddressLine2", "DBEditAddressLine2", N_("Address Line 2")},
    {"City", "DBEditCity", N_("City")},
    {"State/Province", "DBEditStateProvince", N_("State/Province")},
    {"PostalCode", "DBEditPostalCode", N_("Postal Code")},
    {"Country", "DBEditCountry", N_("Country")},
    {"Phone", "DBEditPhone", N_("Phone")},
    {"Fax", "DBEditFax", N_("Fax")},
    {"Email", "DBEditEmail", N_("Email")},
};

QLabel* MakeLabel(QWidget* parent, const QString& name, WindowText text, QWidget* buddy) {
  auto* label = new QLabel(parent);
  label->setObjectName(name);
  SetText(label, text);
  label->setBuddy(buddy);
  return label;
}

QComboBox* MakeList(QWidget* parent, const char* name) {
  auto* box = new QComboBox(parent);
  box->setObjectName(name);
  box->setEditable(false);  // no free text
  box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  return box;
}

}  // namespace

TFormSiteDetails::TFormSiteDetails(action::Editor& editor, QWidget* parent)
    : QWidget(parent), editor_(editor) {
  setObjectName("TFormSiteDetails");
  SetWindowTitle(this, N_("Site Properties"));

  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  auto* scroll = new QScrollArea(this);
  scroll->setObjectName("ScrollBoxSite");
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidgetResizable(true);
  outer->addWidget(scroll);
  page_ = new QWidget(scroll);
  QWidget* page = page_;
  scroll->setWidget(page);

  auto* grid = new QGridLayout(page);
  grid->setContentsMargins(8, 4, 8, 4);
  grid->setHorizontalSpacing(10);
  grid->setVerticalSpacing(2);
  grid->setColumnStretch(1, 1);

  std::vector<QWidget*> order;
  int row = 0;
  for (const LineField& field : kLineFields) {
    auto* edit = new QLineEdit(page);
    edit->setObjectName(field.component);
    const QString column = QString::fromLatin1(field.column);
    edits_.insert(column, edit);
    grid->addWidget(MakeLabel(page, QString("Label") + (field.component + 6), field.label, edit),
                    row, 0);
    grid->addWidget(edit, row++, 1);
    order.push_back(edit);
    connect(edit, &QLineEdit::textEdited, this,
            [this, column](const QString& text) { StoreField(column, text); });
  }
  // Leaving the date stores it once more, as it stands, and shows what is stored: a date in the
  // language's form.
  QLineEdit* date = edits_.value("SiteDate");
  connect(date, &QLineEdit::editingFinished, this, [this, date] {
    StoreField("SiteDate", date->text());
    Render();
  });

  comment_ = new QPlainTextEdit(page);
  comment_->setObjectName("DBMemoComment");
  comment_->setTabChangesFocus(true);
  comment_->setFixedHeight(comment_->fontMetrics().lineSpacing() * 2 + 14);
  grid->addWidget(MakeLabel(page, "LabelComment", i18n::Msg::kComment, comment_), row, 0,
                  Qt::AlignTop);
  grid->addWidget(comment_, row++, 1);
  order.push_back(comment_);
  connect(comment_, &QPlainTextEdit::textChanged, this,
          [this] { StoreField("Comment", comment_->toPlainText()); });

  sales_channel_ = MakeList(page, "ComboBoxSalesChannel");
  grid->addWidget(MakeLabel(page, "LabelSalesChannel", N_("Sales Channel"), sales_channel_), row,
                  0);
  grid->addWidget(sales_channel_, row++, 1);
  standby_time_ = MakeList(page, "ComboBoxStandbyTime");
  grid->addWidget(MakeLabel(page, "LabelStandbyTime", N_("System Standby Time"), standby_time_),
                  row, 0);
  grid->addWidget(standby_time_, row++, 1);
  alarm_time_ = MakeList(page, "ComboBoxAlarmTime");
  grid->addWidget(MakeLabel(page, "LabelAlarmTime", N_("Alarm Time"), alarm_time_), row, 0);
  grid->addWidget(alarm_time_, row++, 1);
  grid->setRowStretch(row, 1);

  // Keyboard order: the text fields, then standby time, alarm time and sales channel.
  order.push_back(standby_time_);
  order.push_back(alarm_time_);
  order.push_back(sales_channel_);
  for (size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);

  connect(sales_channel_, &QComboBox::activated, this, [this](int index) {
    ChooseFromList("set-sales-channel", "channel", sales_channel_, index);
  });
  connect(standby_time_, &QComboBox::activated, this,
          [this](int index) { ChooseFromList("set-standby-time", "time", standby_time_, index); });
  connect(alarm_time_, &QComboBox::activated, this,
          [this](int index) { ChooseFromList("set-alarm-time", "time", alarm_time_, index); });

  workspace::SiteFormModel& form = editor_.SiteForm();
  connect(&form, &workspace::SiteFormModel::Changed, this, &TFormSiteDetails::Render);
  connect(&form, &workspace::SiteFormModel::FocusTree, this, &TFormSiteDetails::FocusTreeRequested);
  Render();
}

void TFormSiteDetails::StoreField(const QString& column, const QString& text) {
  storing_ = column;
  const action::Result result =
      editor_.Perform(action::Action::Make("set-site-field", {{"field", column}, {"value", text}}));
  storing_.clear();
  // A refused text gives way to what is stored.
  if (result.status != action::Status::kDone) Render();
}

void TFormSiteDetails::ChooseFromList(const char* name, const char* key, QComboBox* box,
                                      int index) {
  if (index < 0) return;
  editor_.Perform(action::Action::Make(name, {{key, box->itemText(index)}}));
  // A declined or refused choice shows the stored entry again.
  Render();
}

void TFormSiteDetails::RenderList(QComboBox* box, const panel::ChoiceBox& choice) {
  QStringList shown;
  for (int i = 0; i < box->count(); ++i) shown << box->itemText(i);
  if (shown != choice.entries) {
    box->clear();
    box->addItems(choice.entries);  // texts of the catalogue, shown as stored
  }
  box->setCurrentIndex(choice.selected);
}

void TFormSiteDetails::Render() {
  // What is shown is written from the rows; none of it is an edit of the user's.
  const QSignalBlocker block_comment(comment_);
  workspace::SiteFormModel& form = editor_.SiteForm();
  for (auto it = edits_.cbegin(); it != edits_.cend(); ++it) {
    if (it.key() == storing_) continue;
    const QString text = form.ShownText(it.key());
    if (it.value()->text() != text) it.value()->setText(text);
  }
  const QString comment = form.FieldText("Comment");
  if (storing_ != u"Comment" && comment_->toPlainText() != comment) comment_->setPlainText(comment);
  RenderList(sales_channel_, form.SalesChannels());
  RenderList(standby_time_, form.StandbyTimes());
  RenderList(alarm_time_, form.AlarmTimes());
}

int TFormSiteDetails::ContentHeight() const { return page_->sizeHint().height(); }

void TFormSiteDetails::closeEvent(QCloseEvent* event) { event->ignore(); }

}  // namespace velmora::ui
