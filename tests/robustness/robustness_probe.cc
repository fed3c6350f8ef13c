// velmora-robustness-probe: the file handling of the program in a process of its own, so the
// robustness tests can run it under injected faults, as another user, or kill it.
//
//   save WORKING TARGET (replace|new)  saves a working copy; exit 0 saved, 1 failed, 3 exists
//   start INSTALL SITE                 starts on an installation folder (its per-user copy when
//                                      the folder is read-only), opens SITE, edits every loop
//                                      once and takes the edit back; exit 0 when all of that
//                                      worked
#include <QDir>
#include <QString>
#include <array>
#include <cstdio>
#include <exception>

#include "action/editor.h"
#include "electrical/recalculation.h"
#include "site/program_folder.h"
#include "site/prompter.h"
#include "site/site_saver.h"
#include "site/store_error.h"
#include "site/table.h"
#include "workspace/workspace.h"

namespace {

using velmora::site::Prompter;

// Prints every message on stderr, one line each, and answers no to every question.
class PrintingPrompter : public Prompter {
 public:
  void Warn(const QString& text, Icon) override {
    std::fprintf(stderr, "message: %s\n", qUtf8Printable(QString(text).replace('\n', " | ")));
  }
  bool ConfirmOkCancel(const QString& text, Icon icon) override {
    Warn(text, icon);
    return false;
  }
  bool AskYesNo(const QString& text, Icon icon) override {
    Warn(text, icon);
    return false;
  }
  Answer AskYesNoCancel(const QString& text, Icon icon) override {
    Warn(text, icon);
    return Answer::kNo;
  }
  std::optional<QString> ChooseOpenFile(const FileDialog&) override { return std::nullopt; }
  std::optional<QString> ChooseSaveFile(const FileDialog&) override { return std::nullopt; }
  bool PrinterDialog(QPrinter*) override { return false; }
};

int Save(const QString& working, const QString& target, bool replace) {
  QString error;
  switch (velmora::site::SaveWorkingCopy(working, target, replace, &error)) {
    case velmora::site::CopyResult::kOk:
      std::printf("saved\n");
      return 0;
    case velmora::site::CopyResult::kTargetExists:
      std::fprintf(stderr, "exists\n");
      return 3;
    case velmora::site::CopyResult::kNotConfirmed:
      std::fprintf(stderr, "not confirmed\n%s\n", qUtf8Printable(error));
      return 4;
    case velmora::site::CopyResult::kFailed:
      break;
  }
  std::fprintf(stderr, "Copy error\n%s\n", qUtf8Printable(error));
  return 1;
}

int Start(const QString& install, const QString& site) {
  QString error;
  const velmora::site::ProgramFolder folder =
      velmora::site::ProgramFolder(install).WritableFor(&error);
  if (!error.isEmpty()) std::fprintf(stderr, "folder: %s\n", qUtf8Printable(error));
  std::printf("data root: %s\n", qUtf8Printable(folder.DataRoot()));
  PrintingPrompter prompter;
  velmora::workspace::Workspace workspace(folder, prompter);
  velmora::action::Editor editor(workspace);
  workspace.OpenTables();
  workspace.StartSession();
  if (!workspace.OpenSiteFile(site)) return 1;
  // Every loop edited as the device view does (its check is written to the loop log) and the
  // edit taken back: the results end as they began.
  std::vector<std::array<qint64, 3>> loops;  // panel, loop, alarm indicators
  {
    velmora::site::Table rows(&workspace.Doc().Db(), "Loops");
    rows.Open();
    for (rows.First(); !rows.Eof(); rows.Next())
      loops.push_back(
          {rows.Int("PanelNumber"), rows.Int("LoopNumber"), rows.Int("AlarmIndicators")});
  }
  for (const auto& [panel, loop, count] : loops) {
    const velmora::action::Result result = editor.Perform(velmora::action::Action::Make(
        "set-alarm-indicators",
        {{"panel", panel}, {"loop", loop}, {"count", count < 128 ? count + 1 : count - 1}}));
    if (result.status != velmora::action::Status::kDone || !editor.Undo().Carried()) return 1;
  }
  for (const velmora::electrical::LoopResult& r :
       velmora::electrical::RecalculatePanels(workspace.Data(), {}, false).loops) {
    std::printf("loop %d/%d: %s %s\n", r.panel, r.loop, r.passes ? "passes" : "overloaded",
                qUtf8Printable(r.status));
  }
  std::printf("started\n");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const QString command = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
  try {
    if (command == "save" && argc == 5)
      return Save(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                  QString::fromLocal8Bit(argv[4]) == "replace");
    if (command == "start" && argc == 4)
      return Start(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
  } catch (const velmora::site::StoreError& e) {
    std::fprintf(stderr, "store error: %s\n", qUtf8Printable(e.Message()));
    return 4;
  }
  std::fprintf(stderr,
               "usage: velmora-robustness-probe save WORKING TARGET (replace|new)\n"
               "       velmora-robustness-probe start INSTALL SITE\n");
  return 2;
}
