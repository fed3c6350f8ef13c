#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <optional>
#include <vector>

#include "site/prompter.h"

namespace velmora::testing {

// A prompter for tests: records every message and dialog and answers from queues. A question
// asked with an empty queue fails the test (an unexpected question is a fault worth seeing).
class ScriptedPrompter : public site::Prompter {
 public:
  enum class Kind { kWarn, kOkCancel, kYesNo, kYesNoCancel, kOpenFile, kSaveFile, kPrinter };
  struct Record {
    Kind kind;
    QString text;
    Icon icon;
    FileDialog dialog;
  };

  // Answers for the next questions, in order. Yes and No answer a Yes/No/Cancel question too.
  void AnswerOk(bool ok = true) { answers_.push_back(ok ? kYes : kNo); }
  void AnswerYes(bool yes = true) { answers_.push_back(yes ? kYes : kNo); }
  void AnswerCancel() { answers_.push_back(kCancel); }
  void AnswerFile(std::optional<QString> file) {
    files_.push_back({file.has_value(), file.value_or(QString())});
  }
  void AnswerPrinter(bool ok) { answers_.push_back(ok ? kYes : kNo); }

  void Warn(const QString& text, Icon icon) override;
  bool ConfirmOkCancel(const QString& text, Icon icon) override;
  bool AskYesNo(const QString& text, Icon icon) override;
  Answer AskYesNoCancel(const QString& text, Icon icon) override;
  std::optional<QString> ChooseOpenFile(const FileDialog& dialog) override;
  std::optional<QString> ChooseSaveFile(const FileDialog& dialog) override;
  bool PrinterDialog(QPrinter* printer) override;

  const std::vector<Record>& Records() const { return records_; }
  // The texts of every message shown (warnings and questions), in order.
  QStringList Texts() const;
  QStringList Warnings() const;
  void Clear() { records_.clear(); }
  bool AllAnswersUsed() const { return answers_.empty() && files_.empty(); }

 private:
  static constexpr int kYes = 0;
  static constexpr int kNo = 1;
  static constexpr int kCancel = 2;
  int NextAnswer(const QString& what, bool cancel_allowed);
  std::deque<int> answers_;
  std::deque<std::pair<bool, QString>> files_;  // chosen?, file
  std::vector<Record> records_;
};

}  // namespace velmora::testing
