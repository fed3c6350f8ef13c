#include "ui/start_screen_form.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTextEdit>
#include <QVBoxLayout>

#include "i18n/messages.h"
#include "ui/window_texts.h"

namespace velmora::ui {

QString DisclaimerText() {
  return "\n" + i18n::Text(i18n::Msg::kDisclaimer1) + i18n::Text(i18n::Msg::kDisclaimer2);
}

QTextEdit* MakeDisclaimerArea(QWidget* parent) {
  auto* area = new QTextEdit(parent);
  area->setObjectName("MemoDisclaimer");
  area->setReadOnly(true);
  area->setFixedSize(450, 160);
  area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  area->setLineWrapMode(QTextEdit::WidgetWidth);
  area->setPlainText(DisclaimerText());
  QTextCursor cursor(area->document());
  cursor.select(QTextCursor::Document);
  QTextBlockFormat centred;
  centred.setAlignment(Qt::AlignHCenter);
  cursor.mergeBlockFormat(centred);
  area->moveCursor(QTextCursor::Start);
  return area;
}

void CentreOnScreen(QWidget* window) {
  QScreen* screen =
      window->screen() != nullptr ? window->screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  QRect frame = window->frameGeometry();
  frame.moveCenter(screen->availableGeometry().center());
  window->move(frame.topLeft());
}

TFormStartScreen::TFormStartScreen(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowStaysOnTopHint) {
  setObjectName("TFormStartScreen");
  // The program's name, not a text to translate.
  setWindowTitle("Velmora");
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  layout->setContentsMargins(12, 12, 12, 12);
  layout->setSpacing(10);
  layout->addWidget(MakeDisclaimerArea(this));
  auto* accept = new QPushButton(this);
  accept->setObjectName("ButtonAccept");
  SetText(accept, N_("Accept"));
  accept->setDefault(true);
  connect(accept, &QPushButton::clicked, this, &QDialog::accept);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(accept);
  buttons->addStretch();
  layout->addLayout(buttons);
}

void TFormStartScreen::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  CentreOnScreen(this);
}

}  // namespace velmora::ui
