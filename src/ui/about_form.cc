#include "ui/about_form.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QTextEdit>

#include "i18n/messages.h"
#include "site/run_state.h"
#include "ui/image_list.h"
#include "ui/start_screen_form.h"
#include "ui/window_texts.h"

namespace velmora::ui {

QString TFormAbout::VersionLine(const QString& application_title, const QString& design_text) {
  qsizetype first_digit = -1;
  for (qsizetype i = 0; i < application_title.size(); ++i) {
    if (application_title[i] >= u'0' && application_title[i] <= u'9') {
      first_digit = i;
      break;
    }
  }
  const QString version = first_digit < 0 ? QString() : application_title.mid(first_digit);
  return design_text.left(2) + version;
}

TFormAbout::TFormAbout(const QString& application_title, site::RunState& state, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setObjectName("TFormAbout");
  SetWindowTitle(this, N_("About Velmora"));
  setModal(true);

  auto* layout = new QGridLayout(this);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  layout->setContentsMargins(12, 12, 12, 12);
  layout->setHorizontalSpacing(12);
  layout->setVerticalSpacing(6);

  auto* icon = new QLabel(this);
  icon->setObjectName("ImageProgramIcon");
  icon->setPixmap(ProgramPixmap(32));
  icon->setFixedSize(32, 32);
  layout->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop | Qt::AlignLeft);

  auto* name = new QLabel(this);
  name->setObjectName("LabelProgramName");
  SetText(name, N_("Velmora by Pexmor"));
  QFont bold = name->font();
  bold.setBold(true);
  name->setFont(bold);
  layout->addWidget(name, 0, 1);

  auto* version = new QLabel(this);
  version->setObjectName("LabelVersion");
  version->setText(VersionLine(application_title));
  layout->addWidget(version, 1, 1);

  auto* technical_detail = new QCheckBox(this);
  technical_detail->setObjectName("CheckBoxTechnicalDetail");
  SetText(technical_detail, N_("Technical detail"));
  SetHint(technical_detail,
          N_("Adds each loop's voltage drop to its status in the current lines and in the site "
             "report, for this run of the program."));
  technical_detail->setChecked(state.TechnicalDetail());
  connect(technical_detail, &QCheckBox::toggled, this,
          [&state](bool on) { state.SetTechnicalDetail(on); });
  layout->addWidget(technical_detail, 0, 2, Qt::AlignTop | Qt::AlignRight);

  layout->addWidget(MakeDisclaimerArea(this), 2, 0, 1, 3);

  auto* ok = new QPushButton(this);
  ok->setObjectName("ButtonOK");
  SetText(ok, i18n::Msg::kOk);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addStretch();
  layout->addLayout(buttons, 3, 0, 1, 3);
  layout->setColumnStretch(1, 1);
}

void TFormAbout::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  CentreOnScreen(this);
}

}  // namespace velmora::ui
