#pragma once

#include <QStringList>

#include "i18n/tr.h"
#include "site/prompter.h"

namespace velmora::app {

// The prompter of the command-line tool: warnings go to stderr, every question is answered
// with its cautious answer (No, Cancel), and no dialog is ever shown. While held, warnings and
// questions are kept back for the caller to show as it sees fit (opening a file that turns out
// unusable is an error, not a warning; a script reports them with the line they came from).
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
  void Question(i18n::Source answer, const QString& text);

  bool holding_ = false;
  QStringList held_;
  QStringList printed_;
};

}  // namespace velmora::app
