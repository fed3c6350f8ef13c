// velmora_bench: how long the designer waits on a large site. Two sites are generated from the
// shipped catalogue (50 and 200 panels of 8 loops with 10 device rows each); every action is
// timed on both, one action per iteration, and the medians are printed with the targets and
// the growth from the small site to the large one. Last, the peak memory of `velmora-cli check`
// on the large site is measured.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "action/editor.h"
#include "app/cli_generate.h"
#include "app/cli_session.h"
#include "electrical/recalculation.h"
#include "electrical/site_data.h"
#include "electrical/site_rows.h"
#include "i18n/settings.h"
#include "i18n/translation.h"
#include "loop/device_rows.h"
#include "reports/parts_list.h"
#include "reports/print_store.h"
#include "reports/report_run.h"
#include "reports/report_tables.h"
#include "site/program_folder.h"
#include "site/table.h"
#include "workspace/workspace.h"

#include "bench_support.h"

extern char** environ;

namespace {

using velmora::app::CliSession;
using velmora::site::Filter;

using namespace velmora::bench;  // the sites, samples and medians every benchmark shares

// Everything the benchmarks share: the program folder, the generated sites, and one session
// per site size with that site open.
class Bench {
 public:
  static Bench& Get() {
    static Bench bench;
    return bench;
  }

  const velmora::site::ProgramFolder& Home() const { return home_; }
  const velmora::i18n::Settings& Settings() const { return settings_; }
  QString Scratch(const QString& name) const { return dir_.filePath(name); }

  QString SiteFile(int panels) {
    return velmora::bench::GeneratedSite(home_, dir_.path(), panels, "velmora_bench");
  }

  // A session with the site of this size open; the same one for every benchmark of the size.
  CliSession& Session(int panels) {
    std::unique_ptr<CliSession>& session = sessions_[panels];
    if (session) return *session;
    const QString file = SiteFile(panels);
    session = std::make_unique<CliSession>(home_);
    QString error;
    if (!session->Start(&error) || !session->OpenSite(file, &error)) {
      std::fprintf(stderr, "velmora_bench: cannot open %s: %s\n", qUtf8Printable(file),
                   qUtf8Printable(error));
      std::exit(2);
    }
    return *session;
  }
  velmora::reports::PrintStore& Print(int panels) { return Session(panels).Print(); }

 private:
  Bench()
      : home_(velmora::bench::BenchHome()),
        settings_(dir_.filePath("user"), dir_.filePath("machine")) {}

  QTemporaryDir dir_;
  velmora::site::ProgramFolder home_;
  velmora::i18n::Settings settings_;
  std::map<int, std::unique_ptr<CliSession>> sessions_;
};

// Times `action` once per iteration; `check` runs after the loop and says what went wrong, if
// anything, so a benchmark never times an action that did not happen.
void Timed(benchmark::State& state, const std::string& name, int panels,
           const std::function<void(int iteration)>& action,
           const std::function<QString()>& check) {
  Timings& samples = Samples()[name][panels];
  int iteration = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const double cpu_start = CpuSeconds();
    action(iteration++);
    const double cpu = CpuSeconds() - cpu_start;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.SetIterationTime(seconds);
    samples.wall.push_back(seconds * 1000.0);
    samples.cpu.push_back(cpu * 1000.0);
  }
  if (const QString problem = check(); !problem.isEmpty())
    state.SkipWithError(qUtf8Printable(problem));
}

velmora::SiteData& R(int panels) { return Bench::Get().Session(panels).Data(); }
velmora::workspace::Workspace& Ws(int panels) { return Bench::Get().Session(panels).Ws(); }
velmora::action::Editor& Ed(int panels) { return Bench::Get().Session(panels).Editor(); }

// The panel the edits work on, in the middle of the site, and its third loop.
int EditedPanel(int panels) { return panels / 2; }
constexpr int kEditedLoop = 3;

// A click on a node of the site tree, as the tree window passes it on.
void ClickNode(int panels, velmora::site::TreeNode* node) {
  velmora::action::Editor& editor = Ed(panels);
  editor.Tree().Select(node);
  editor.Show(editor.FocusOf(node));
}

QVariant Stored(int panels, const QString& table, const Filter& filter, const QString& column) {
  velmora::site::Database& db = R(panels).doc.Db();
  const std::vector<velmora::site::Row> rows = db.Select(table, filter);
  if (rows.empty()) return {};
  return rows.front().values[db.ColumnIndex(table, column)];
}

// Carries an action out as the views do; false when it was not done.
bool Act(int panels, const char* name,
         std::initializer_list<std::pair<const char*, QJsonValue>> params) {
  return Ed(panels).Execute(velmora::action::Action::Make(name, params)).status ==
         velmora::action::Status::kDone;
}

void OpenSite(benchmark::State& state, int panels) {
  CliSession& session = Bench::Get().Session(panels);
  const QString file = Bench::Get().SiteFile(panels);
  bool opened = true;
  Timed(
      state, "open site", panels, [&](int) { opened = session.Ws().OpenSiteFile(file) && opened; },
      [&] {
        if (!opened) return QString("the site did not open");
        if (session.Editor().Tabs().PanelTabCount() != panels)
          return QString("wrong number of tabs");
        return QString();
      });
}

// The quantity of the first row of the edited loop, the way the device grid changes it.
void DeviceEditWith(benchmark::State& state, int panels, const std::string& name, bool history) {
  const int p = EditedPanel(panels);
  ClickNode(panels, Ed(panels).Tree().PanelNode(p)->Child(kEditedLoop - 1));
  Ed(panels).KeepHistory(history);
  const qint64 base = Stored(panels, "Devices", velmora::electrical::DevicesOfLoop(p, kEditedLoop),
                             "DeviceQuantity")
                          .toLongLong();
  qint64 last = base;
  bool done = true;
  Timed(
      state, name, panels,
      [&](int i) {
        last = base + (i % 2 == 0 ? 1 : 0);
        done = Act(panels, "set-device-quantity",
                   {{"panel", p}, {"loop", kEditedLoop}, {"row", 1}, {"quantity", last}}) &&
               done;
      },
      [&] {
        Ed(panels).KeepHistory(true);
        if (!done) return QString("an edit was not done");
        const std::optional<velmora::site::Row> row =
            velmora::loop::DeviceRowAt(R(panels), p, kEditedLoop, 1);
        if (!row || velmora::electrical::IntAt(*row, R(panels).Cols().devices.quantity) != last)
          return QString("the quantity was not stored");
        return QString();
      });
}

void DeviceEdit(benchmark::State& state, int panels) {
  DeviceEditWith(state, panels, "device quantity edit", true);
}
void DeviceEditUnrecorded(benchmark::State& state, int panels) {
  DeviceEditWith(state, panels, "device edit, no history", false);
}

// One step taken back and made again in turn: the device edit of the loop on view.
void UndoRedo(benchmark::State& state, int panels) {
  const int p = EditedPanel(panels);
  ClickNode(panels, Ed(panels).Tree().PanelNode(p)->Child(kEditedLoop - 1));
  const QVariant before = Stored(
      panels, "Devices", velmora::electrical::DevicesOfLoop(p, kEditedLoop), "DeviceQuantity");
  bool done =
      Act(panels, "set-device-quantity",
          {{"panel", p}, {"loop", kEditedLoop}, {"row", 1}, {"quantity", before.toLongLong() + 3}});
  int steps = 0;
  Timed(
      state, "undo or redo", panels,
      [&](int i) {
        velmora::action::Editor& editor = Ed(panels);
        done =
            (i % 2 == 0 ? editor.Undo() : editor.Redo()).status == velmora::action::Status::kDone &&
            done;
        steps = i + 1;
      },
      [&] {
        if (!done) return QString("a step was not taken back or made again");
        // An even number of steps ends on the edit made again.
        const qint64 expected = before.toLongLong() + (steps % 2 == 0 ? 3 : 0);
        const QVariant now =
            Stored(panels, "Devices", velmora::electrical::DevicesOfLoop(p, kEditedLoop),
                   "DeviceQuantity");
        return now.toLongLong() == expected ? QString() : QString("the rows are not as recorded");
      });
}

void LoopEdit(benchmark::State& state, int panels) {
  const int p = EditedPanel(panels);
  ClickNode(panels, Ed(panels).Tree().PanelNode(p)->Child(kEditedLoop - 1));
  // Every edit changes the cable: one that leaves the row as it is would be no action at all.
  const int first =
      Stored(panels, "Loops", velmora::electrical::LoopKey(p, kEditedLoop), "CableSpec").toInt();
  const int other = first == 2 ? 3 : 2;
  int cable = first;
  bool done = true;
  Timed(
      state, "loop setting edit", panels,
      [&](int i) {
        cable = i % 2 == 0 ? other : first;
        done = Act(panels, "set-cable", {{"panel", p}, {"loop", kEditedLoop}, {"cable", cable}}) &&
               done;
      },
      [&] {
        const QVariant stored =
            Stored(panels, "Loops", velmora::electrical::LoopKey(p, kEditedLoop), "CableSpec");
        return done && stored.toInt() == cable ? QString() : QString("the cable was not stored");
      });
}

void OutputEdit(benchmark::State& state, int panels) {
  const int p = EditedPanel(panels);
  ClickNode(panels, Ed(panels).Tree().PanelNode(p)->LastChild());
  const double first =
      Stored(panels, "Outputs", velmora::electrical::RowsOfPanel(p).And("OutputNumber", 1),
             "QuiesentCurrent")
          .toDouble();
  double last = first;
  bool done = true;
  Timed(
      state, "output edit", panels,
      [&](int i) {
        last = i % 2 == 0 ? first + 10.0 : first;
        done = Act(panels, "set-output-currents",
                   {{"panel", p}, {"output", 1}, {"quiescent", last}}) &&
               done;
      },
      [&] {
        const QVariant stored =
            Stored(panels, "Outputs", velmora::electrical::RowsOfPanel(p).And("OutputNumber", 1),
                   "QuiesentCurrent");
        if (!done || stored.toDouble() != last) return QString("the output was not stored");
        if (R(panels).doc.Db().Count("Currents", velmora::electrical::RowsOfPanel(p)) == 0)
          return QString("the outputs view shows no current lines");
        return QString();
      });
}

void ShowPanel(benchmark::State& state, int panels) {
  const int p = EditedPanel(panels);
  Timed(
      state, "show a panel", panels,
      [&](int i) {
        Ed(panels).Show({velmora::site::DetailView::kPanel, p + i % 2, 0});
      },
      [&] {
        if (Ed(panels).Tabs().Active() < p) return QString("the panel was not shown");
        if (Ed(panels).PanelForm().BatteryText().isEmpty()) return QString("no battery shown");
        return QString();
      });
}

void ShowSite(benchmark::State& state, int panels) {
  Timed(
      state, "show the site", panels, [&](int) { Ed(panels).Show({}); },
      [&] { return Ed(panels).Tabs().Active() == 0 ? QString() : QString("the site not shown"); });
}

void PartsList(benchmark::State& state, int panels) {
  velmora::reports::PrintStore& print = Bench::Get().Print(panels);
  print.Open();
  Timed(
      state, "build the parts list", panels,
      [&](int) {
        velmora::reports::BuildPartsList(R(panels), print.Db(), Bench::Get().Settings());
      },
      [&] {
        return print.Db().Count("PartsList") > 0 ? QString() : QString("the parts list is empty");
      });
}

void FillPrintStore(benchmark::State& state, int panels) {
  velmora::reports::PrintStore& print = Bench::Get().Print(panels);
  print.Open();
  Timed(
      state, "fill the print store", panels,
      [&](int) { velmora::reports::FillReportTables(R(panels), print.Db()); },
      [&] {
        return print.Db().Count("Devices") > 0 ? QString() : QString("the print store is empty");
      });
}

void SiteReportPdf(benchmark::State& state, int panels) {
  velmora::reports::PrintStore& print = Bench::Get().Print(panels);
  const QString file = Bench::Get().Scratch(QString("report-%1.pdf").arg(panels));
  QString error;
  bool written = true;
  Timed(
      state, "site report to PDF", panels,
      [&](int) {
        written =
            velmora::reports::WriteReportPdf(Ws(panels), print, velmora::reports::ReportKind::kSite,
                                             Bench::Get().Settings(), file, &error) &&
            written;
      },
      [&] {
        if (!written) return "the report was not written: " + error;
        return QFileInfo(file).size() > 0 ? QString() : QString("the PDF is empty");
      });
}

void SaveSite(benchmark::State& state, int panels) {
  velmora::workspace::Workspace& ws = Ws(panels);
  const QString file = Bench::Get().Scratch(QString("saved-%1.mdb").arg(panels));
  bool saved = true;
  Timed(
      state, "save the site", panels,
      [&](int) {
        ws.State().SetSiteFileName(file);
        ws.State().SetSiteSaved(true);
        saved = ws.SaveSite() && saved;
      },
      [&] {
        if (!saved) return QString("the site was not saved");
        return QFileInfo(file).size() > 0 ? QString() : QString("the saved file is empty");
      });
}

struct Action {
  const char* name;
  void (*run)(benchmark::State&, int);
  // Iterations on the small and the large site; 0 leaves it to the minimum time.
  int small_iterations;
  int large_iterations;
  // Target median on the small site in ms, if any.
  std::optional<double> target_ms;
  // How much the median may grow from 50 to 200 panels.
  double allowed_growth;
};

const Action kActions[] = {
    {"open site", OpenSite, 20, 10, 200.0, 4.0},
    {"device quantity edit", DeviceEdit, 0, 0, 2.0, 1.5},
    {"device edit, no history", DeviceEditUnrecorded, 0, 0, std::nullopt, 1.5},
    {"undo or redo", UndoRedo, 0, 0, 5.0, 1.5},
    {"loop setting edit", LoopEdit, 0, 0, std::nullopt, 1.5},
    {"output edit", OutputEdit, 0, 0, std::nullopt, 1.5},
    {"show a panel", ShowPanel, 0, 0, 20.0, 4.0},
    {"show the site", ShowSite, 0, 0, std::nullopt, 4.0},
    {"build the parts list", PartsList, 20, 12, std::nullopt, 4.0},
    {"fill the print store", FillPrintStore, 12, 8, std::nullopt, 4.0},
    {"site report to PDF", SiteReportPdf, 5, 3, 2000.0, 4.0},
    {"save the site", SaveSite, 20, 10, 100.0, 4.0},
};

// Peak resident memory of `velmora-cli check SITE` in kB, as /usr/bin/time reports it, or nothing
// when it cannot be measured. The tool is not started from here directly: a child started from
// this process counts this process's own memory until it has replaced itself.
std::optional<long> CheckPeakMemory(const QString& site) {
  const char* time_tool = "/usr/bin/time";
  if (!QFileInfo(time_tool).isExecutable()) return std::nullopt;
  const QByteArray cli = QFile::encodeName(Bench::Get().Home().Path("velmora-cli"));
  const QByteArray file = QFile::encodeName(site);
  const QByteArray report = QFile::encodeName(Bench::Get().Scratch("check-memory.txt"));
  const QByteArray home = "VELMORA_HOME=" + QFile::encodeName(Bench::Get().Home().Root());
  std::vector<char*> env;
  for (char** e = environ; *e != nullptr; ++e) {
    if (std::strncmp(*e, "VELMORA_HOME=", 13) != 0) env.push_back(*e);
  }
  env.push_back(const_cast<char*>(home.constData()));
  env.push_back(nullptr);
  char format_option[] = "-f";
  char format[] = "%M";
  char output_option[] = "-o";
  char check[] = "check";
  char* argv[] = {const_cast<char*>(time_tool),
                  format_option,
                  format,
                  output_option,
                  const_cast<char*>(report.constData()),
                  const_cast<char*>(cli.constData()),
                  check,
                  const_cast<char*>(file.constData()),
                  nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, time_tool, &actions, nullptr, argv, env.data());
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return std::nullopt;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) > 1)
    return std::nullopt;
  QFile out(QString::fromLocal8Bit(report));
  if (!out.open(QIODevice::ReadOnly)) return std::nullopt;
  bool ok = false;
  const long kb = QString::fromUtf8(out.readAll()).trimmed().split('\n').last().toLong(&ok);
  return ok ? std::optional<long>(kb) : std::nullopt;
}

void PrintSummary() {
  std::printf(
      "\nMedians in ms on sites of 8 loops x 10 device rows per panel, the processor time of\n"
      "the program in brackets (the rest is waiting: for the disk, or for other programs on a\n"
      "busy machine). Growth is from 50 to 200 panels, of the time and of the processor time.\n");
  std::printf("%-22s %20s %20s %15s %8s  %s\n", "action", "50 panels", "200 panels", "growth",
              "allowed", "target on 50 panels");
  for (const Action& action : kActions) {
    const std::optional<velmora::bench::Growth> g = velmora::bench::GrowthOf(action.name);
    if (!g) continue;
    QString target = "-";
    if (action.target_ms) {
      target = QString("< %1 ms: %2")
                   .arg(*action.target_ms)
                   .arg(g->wall_small < *action.target_ms ? "met" : "MISSED");
    }
    const bool too_much = g->Wall() > action.allowed_growth || g->Cpu() > action.allowed_growth;
    std::printf("%-22s %20s %20s %15s %7.1fx  %s%s\n", action.name, qUtf8Printable(g->Small(3)),
                qUtf8Printable(g->Large(3)), qUtf8Printable(g->Text()), action.allowed_growth,
                qUtf8Printable(target), too_much ? "  (grows too much)" : "");
  }
  const std::optional<long> peak = CheckPeakMemory(Bench::Get().SiteFile(kLarge));
  if (peak) {
    std::printf(
        "\nvelmora-cli check on the 200-panel site: peak memory %.1f MB (target < 150 MB: %s)\n",
        double(*peak) / 1024.0, *peak < 150 * 1024 ? "met" : "MISSED");
  } else {
    std::printf(
        "\nvelmora-cli check on the 200-panel site: peak memory not measured (it needs\n"
        "/usr/bin/time, and the check must run)\n");
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
  // Stored texts as the shipped samples have them.
  velmora::i18n::SetUpTranslation(Bench::Get().Home().LocaleFolder(), QStringLiteral("en"));

  for (const Action& action : kActions) {
    for (int panels : kSizes) {
      benchmark::internal::Benchmark* b = benchmark::RegisterBenchmark(
          QString("%1/%2").arg(action.name).arg(panels).replace(' ', '_').toUtf8().constData(),
          [&action, panels](benchmark::State& state) {
            CliSession& session = Bench::Get().Session(panels);
            session.Prompter().Hold();
            action.run(state, panels);
            session.Prompter().Release();
          });
      b->UseManualTime()->Unit(benchmark::kMillisecond);
      const int iterations = panels == kSmall ? action.small_iterations : action.large_iterations;
      if (iterations > 0) {
        b->Iterations(iterations);
      } else {
        b->MinTime(0.5);
      }
    }
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  PrintSummary();
  return 0;
}
