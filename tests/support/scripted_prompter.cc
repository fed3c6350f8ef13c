#include "support/scripted_prompter.h"

#include <gtest/gtest.h>

namespace velmora::testing {

int ScriptedPrompter::NextAnswer(const QString& what, bool cancel_allowed) {
  if (answers_.empty()) {
    ADD_FAILURE() << "unexpected question: " << what.toStdString();
    return kNo;
  }
  const int answer = answers_.front();
  answers_.pop_front();
  if (answer == kCancel && !cancel_allowed) {
    ADD_FAILURE() << "Cancel given to a question without it: " << what.toStdString();
    return kNo;
  }
  return answer;
}

void ScriptedPrompter::Warn(const QString& text, Icon icon) {
  records_.push_back({Kind::kWarn, text, icon, {}});
}

bool ScriptedPrompter::ConfirmOkCancel(const QString& text, Icon icon) {
  records_.push_back({Kind::kOkCancel, text, icon, {}});
  return NextAnswer(text, false) == kYes;
}

bool ScriptedPrompter::AskYesNo(const QString& text, Icon icon) {
  records_.push_back({Kind::kYesNo, text, icon, {}});
  return NextAnswer(text, false) == kYes;
}

site::Prompter::Answer ScriptedPrompter::AskYesNoCancel(const QString& text, Icon icon) {
  records_.push_back({Kind::kYesNoCancel, text, icon, {}});
  switch (NextAnswer(text, true)) {
    case kYes:
      return Answer::kYes;
    case kCancel:
      return Answer::kCancel;
    default:
      return Answer::kNo;
  }
}

std::optional<QString> ScriptedPrompter::ChooseOpenFile(const FileDialog& dialog) {
  records_.push_back({Kind::kOpenFile, QString(), Icon::kQuestion, dialog});
  if (files_.empty()) {
    ADD_FAILURE() << "unexpected open dialog";
    return std::nullopt;
  }
  const auto [chosen, file] = files_.front();
  files_.pop_front();
  if (!chosen) return std::nullopt;
  return file;
}

std::optional<QString> ScriptedPrompter::ChooseSaveFile(const FileDialog& dialog) {
  records_.push_back({Kind::kSaveFile, QString(), Icon::kQuestion, dialog});
  if (files_.empty()) {
    ADD_FAILURE() << "unexpected save dialog";
    return std::nullopt;
  }
  const auto [chosen, file] = files_.front();
  files_.pop_front();
  if (!chosen) return std::nullopt;
  return file;
}

bool ScriptedPrompter::PrinterDialog(QPrinter*) {
  records_.push_back({Kind::kPrinter, QString(), Icon::kQuestion, {}});
  return NextAnswer("printer dialog", false) == kYes;
}

QStringList ScriptedPrompter::Texts() const {
  QStringList texts;
  for (const Record& r : records_) {
    if (r.kind == Kind::kWarn || r.kind == Kind::kOkCancel || r.kind == Kind::kYesNo ||
        r.kind == Kind::kYesNoCancel)
      texts << r.text;
  }
  return texts;
}

QStringList ScriptedPrompter::Warnings() const {
  QStringList texts;
  for (const Record& r : records_) {
    if (r.kind == Kind::kWarn) texts << r.text;
  }
  return texts;
}

}  // namespace velmora::testing
