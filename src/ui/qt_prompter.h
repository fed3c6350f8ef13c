#pragma once

#include <QPointer>
#include <QWidget>

#include "site/prompter.h"

namespace velmora::ui {

// The desktop program's prompter: Qt message boxes and file and printer dialogs over a parent
// window.
class QtPrompter : public site::Prompter {
 public:
  explicit QtPrompter(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }

  void Warn(const QString& text, Icon icon) override;
  bool ConfirmOkCancel(const QString& text, Icon icon) override;
  bool AskYesNo(const QString& text, Icon icon) override;
  Answer AskYesNoCancel(const QString& text, Icon icon) override;
  std::optional<QString> ChooseOpenFile(const FileDialog& dialog) override;
  std::optional<QString> ChooseSaveFile(const FileDialog& dialog) override;
  bool PrinterDialog(QPrinter* printer) override;

 private:
  QPointer<QWidget> parent_;
  QString last_open_file_;
};

}  // namespace velmora::ui
