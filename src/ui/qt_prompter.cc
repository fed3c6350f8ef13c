#include "ui/qt_prompter.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

#include "site/run_state.h"

namespace velmora::ui {
namespace {

QMessageBox::Icon ToIcon(site::Prompter::Icon icon) {
  switch (icon) {
    case site::Prompter::Icon::kWarning:
      return QMessageBox::Warning;
    case site::Prompter::Icon::kInformation:
      return QMessageBox::Information;
    case site::Prompter::Icon::kQuestion:
      return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

int Ask(QWidget* parent, const QString& text, site::Prompter::Icon icon,
        QMessageBox::StandardButtons buttons, QMessageBox::StandardButton default_button) {
  QMessageBox box(ToIcon(icon), site::kApplicationTitle, text, buttons, parent);
  box.setDefaultButton(default_button);
  return box.exec();
}

QString FilterText(const QStringList& filters) { return filters.join(";;"); }

}  // namespace

void QtPrompter::Warn(const QString& text, Icon icon) {
  Ask(parent_, text, icon, QMessageBox::Ok, QMessageBox::Ok);
}

bool QtPrompter::ConfirmOkCancel(const QString& text, Icon icon) {
  return Ask(parent_, text, icon, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok) ==
         QMessageBox::Ok;
}

bool QtPrompter::AskYesNo(const QString& text, Icon icon) {
  return Ask(parent_, text, icon, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) ==
         QMessageBox::Yes;
}

site::Prompter::Answer QtPrompter::AskYesNoCancel(const QString& text, Icon icon) {
  // Escape and the window's close box answer Cancel.
  switch (Ask(parent_, text, icon, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
              QMessageBox::Yes)) {
    case QMessageBox::Yes:
      return Answer::kYes;
    case QMessageBox::No:
      return Answer::kNo;
    default:
      return Answer::kCancel;
  }
}

std::optional<QString> QtPrompter::ChooseOpenFile(const FileDialog& dialog) {
  QFileDialog box(parent_, QString(), dialog.folder, FilterText(dialog.filters));
  box.setAcceptMode(QFileDialog::AcceptOpen);
  box.setFileMode(QFileDialog::ExistingFile);
  box.setDefaultSuffix(dialog.default_suffix);
  if (!last_open_file_.isEmpty()) box.selectFile(last_open_file_);
  if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty()) return std::nullopt;
  last_open_file_ = box.selectedFiles().first();
  return last_open_file_;
}

std::optional<QString> QtPrompter::ChooseSaveFile(const FileDialog& dialog) {
  QFileDialog box(parent_, QString(), dialog.folder, FilterText(dialog.filters));
  box.setAcceptMode(QFileDialog::AcceptSave);
  box.setFileMode(QFileDialog::AnyFile);
  box.setDefaultSuffix(dialog.default_suffix);
  // The save operation asks about overwriting itself.
  box.setOption(QFileDialog::DontConfirmOverwrite, true);
  if (!dialog.file_name.isEmpty()) box.selectFile(dialog.file_name);
  if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty()) return std::nullopt;
  return box.selectedFiles().first();
}

bool QtPrompter::PrinterDialog(QPrinter* printer) {
  QPrintDialog box(printer, parent_);
  return box.exec() == QDialog::Accepted;
}

}  // namespace velmora::ui
