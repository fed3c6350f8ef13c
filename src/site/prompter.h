#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class QPrinter;

namespace velmora::site {

// Every modal message and file or printer dialog of the program goes through this interface.
// The desktop program shows real dialogs; tests answer from a script and record what was asked.
class Prompter {
 public:
  enum class Icon { kWarning, kQuestion, kInformation };
  enum class Answer { kYes, kNo, kCancel };

  struct FileDialog {
    QString folder;       // where the dialog starts
    QString file_name;    // proposed file name (may be empty)
    QStringList filters;  // e.g. "Database file (*.mdb)", "All files (*.*)"
    QString default_suffix;
  };

  virtual ~Prompter() = default;

  // A message with one OK button.
  virtual void Warn(const QString& text, Icon icon = Icon::kWarning) = 0;
  // OK / Cancel; true for OK.
  virtual bool ConfirmOkCancel(const QString& text, Icon icon = Icon::kQuestion) = 0;
  // Yes / No; true for Yes.
  virtual bool AskYesNo(const QString& text, Icon icon = Icon::kQuestion) = 0;
  // Yes / No / Cancel, for a question whose Cancel leaves everything as it was.
  virtual Answer AskYesNoCancel(const QString& text, Icon icon = Icon::kQuestion) = 0;
  // The chosen file, or nothing when the dialog was cancelled.
  virtual std::optional<QString> ChooseOpenFile(const FileDialog& dialog) = 0;
  virtual std::optional<QString> ChooseSaveFile(const FileDialog& dialog) = 0;
  // The printer dialog for `printer`; true when the user confirmed.
  virtual bool PrinterDialog(QPrinter* printer) = 0;
};

}  // namespace velmora::site
