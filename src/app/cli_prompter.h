#pragma once

#include <QStringList>

#include "site/prompter.h"

namespace velmora::app {

// The prompter of the command-line tool: warnings go to stderr, every question is answered
// no, and no dialog is ever shown. While held, warnings are kept back for the caller to show
// as it sees fit (opening a file that turns out unusable is an error, not a warning).
class CliPrompter : public site::Prompter {
 public:
  void Hold() { holding_ = true; }
  // Stops holding and returns what was held.
  QStringList Release();
  // The warnings printed so far, in order.
  const QStringList& Printed() const { return printed_; }

  void Warn(const QString& text, Icon icon) override;
  bool ConfirmOkCancel(const QString& text, Icon icon) override;
  bool AskYesNo(const QString& text, Icon icon) override;
  Answer AskYesNoCancel(const QString& text, Icon icon) override;
  std::optional<QString> ChooseOpenFile(const FileDialog& dialog) override;
  std::optional<QString> ChooseSaveFile(const FileDialog& dialog) override;
  bool PrinterDialog(QPrinter* printer) override;

 private:
  bool holding_ = false;
  QStringList held_;
  QStringList printed_;
};

}  // namespace velmora::app
