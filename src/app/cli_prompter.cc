#include "app/cli_prompter.h"

#include <cstdio>

#include "i18n/tr.h"

namespace velmora::app {
namespace {

void Print(i18n::Source kind, const QString& text) {
  std::fprintf(stderr, "velmora-cli: %s: %s\n", qUtf8Printable(i18n::Tr(kind)),
               qUtf8Printable(text));
}

}  // namespace

void CliPrompter::Question(i18n::Source answer, const QString& text) {
  if (holding_) {
    held_ << i18n::Tr(answer) + ": " + text;
  } else {
    Print(answer, text);
  }
}

QStringList CliPrompter::Release() {
  holding_ = false;
  QStringList held;
  held.swap(held_);
  return held;
}

void CliPrompter::Warn(const QString& text, Icon) {
  if (holding_) {
    held_ << text;
  } else {
    Print(N_("warning"), text);
    printed_ << text;
  }
}

bool CliPrompter::ConfirmOkCancel(const QString& text, Icon) {
  Question(N_("question answered Cancel"), text);
  return false;
}

bool CliPrompter::AskYesNo(const QString& text, Icon) {
  Question(N_("question answered No"), text);
  return false;
}

// The tool never saves, so a question about unsaved work goes on without saving.
site::Prompter::Answer CliPrompter::AskYesNoCancel(const QString& text, Icon) {
  Question(N_("question answered No"), text);
  return Answer::kNo;
}

std::optional<QString> CliPrompter::ChooseOpenFile(const FileDialog&) { return std::nullopt; }
std::optional<QString> CliPrompter::ChooseSaveFile(const FileDialog&) { return std::nullopt; }
bool CliPrompter::PrinterDialog(QPrinter*) { return false; }

}  // namespace velmora::app
