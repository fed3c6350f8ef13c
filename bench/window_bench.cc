// velmora_window_bench: how long the designer waits in the desktop window on a large site, up to
// the moment the window has painted what changed. The real main window, its views and grids run
// offscreen on the two generated sites of velmora_bench (50 and 200 panels of 8 loops with 10
// device rows each): a quantity typed into the device grid until the current lines with the
// loop's status and their total are painted again; a panel's tab chosen until its view is
// painted; the site opened until the window is painted. The medians are printed with the
// targets and the growth from the small site to the large one.
#include <benchmark/benchmark.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QSet>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
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
#include "electrical/site_rows.h"
#include "i18n/settings.h"
#include "i18n/translation.h"
#include "site/database.h"
#include "site/program_folder.h"
#include "site/prompter.h"
#include "ui/device_details_form.h"
#include "ui/main_form.h"
#include "ui/panel_details_form.h"
#include "workspace/workspace.h"

#include "bench_support.h"

namespace {

using velmora::site::DetailView;

using namespace velmora::bench;  // the sites, samples and medians every benchmark shares
constexpr int kEditedLoop = 3;

// Nothing is asked while the window is timed: a question would wait for a person.
class QuietPrompter : public velmora::site::Prompter {
 public:
  void Warn(const QString& text, Icon) override { Say(text); }
  bool ConfirmOkCancel(const QString& text, Icon) override { return Say(text); }
  bool AskYesNo(const QString& text, Icon) override { return Say(text); }
  Answer AskYesNoCancel(const QString& text, Icon) override {
    Say(text);
    return Answer::kNo;
  }
  std::optional<QString> ChooseOpenFile(const FileDialog&) override { return std::nullopt; }
  std::optional<QString> ChooseSaveFile(const FileDialog&) override { return std::nullopt; }
  bool PrinterDialog(QPrinter*) override { return false; }
  int said = 0;

 private:
  bool Say(const QString& text) {
    ++said;
    std::fprintf(stderr, "message: %s\n", qPrintable(text));
    return false;
  }
};

// Counts the paint events of the widgets it watches: a widget and everything in it, since a
// change of a field repaints the field rather than the view around it.
class PaintCounter : public QObject {
 public:
  void Watch(QWidget* widget) {
    if (watched_.contains(widget)) return;
    watched_.insert(widget);
    widget->installEventFilter(this);
    for (QWidget* child : widget->findChildren<QWidget*>()) child->installEventFilter(this);
  }
  int Count(QWidget* widget) const { return counts_.value(widget); }

 protected:
  bool eventFilter(QObject* object, QEvent* event) override {
    if (event->type() != QEvent::Paint) return false;
    for (QWidget* widget = qobject_cast<QWidget*>(object); widget != nullptr;
         widget = widget->parentWidget()) {
      if (watched_.contains(widget)) ++counts_[widget];
    }
    return false;
  }

 private:
  QSet<QWidget*> watched_;
  QHash<QWidget*, int> counts_;
};

// One desktop run with the site of a size open in its main window.
struct Run {
  QuietPrompter prompter;
  std::unique_ptr<velmora::workspace::Workspace> workspace;
  std::unique_ptr<velmora::action::Editor> editor;
  std::unique_ptr<velmora::ui::TMainForm> form;
  PaintCounter paints;
};

class Bench {
 public:
  static Bench& Get() {
    static Bench bench;
    return bench;
  }

  const velmora::site::ProgramFolder& Home() const { return home_; }
  velmora::i18n::Settings Settings() const {
    return velmora::i18n::Settings(dir_.filePath("user"), dir_.filePath("machine"));
  }

  QString SiteFile(int panels) {
    return velmora::bench::GeneratedSite(home_, dir_.path(), panels, "velmora_window_bench");
  }

  // The windows go before the application object does.
  void Finish() { runs_.clear(); }

  Run& Window(int panels) {
    std::unique_ptr<Run>& run = runs_[panels];
    if (run) return *run;
    const QString file = SiteFile(panels);
    run = std::make_unique<Run>();
    const velmora::site::ProgramFolder folder =
        home_.WithDataRoot(dir_.filePath(QString("data-%1").arg(panels)));
    QDir().mkpath(folder.DataRoot() + "/DBs");
    QDir().mkpath(folder.SitesFolder());
    for (const QString& db : QDir(home_.Path("DBs")).entryList(QDir::Files))
      QFile::copy(home_.Path("DBs/" + db), folder.Path("DBs/" + db));
    run->workspace = std::make_unique<velmora::workspace::Workspace>(folder, run->prompter);
    run->editor = std::make_unique<velmora::action::Editor>(*run->workspace, Settings());
    run->workspace->OpenTables();
    run->form = std::make_unique<velmora::ui::TMainForm>(*run->editor, Settings());
    run->form->SetStartScreenModal(false);
    run->form->resize(1600, 1000);
    run->form->show();
    QCoreApplication::processEvents();
    if (!run->workspace->OpenSiteFile(file)) {
      std::fprintf(stderr, "velmora_window_bench: cannot open %s\n", qUtf8Printable(file));
      std::exit(2);
    }
    QCoreApplication::processEvents();
    return *run;
  }

 private:
  Bench() : home_(velmora::bench::BenchHome()) {}

  QTemporaryDir dir_;
  velmora::site::ProgramFolder home_;
  std::map<int, std::unique_ptr<Run>> runs_;
};

// Handles the window's events until `widget` has painted once more than `before`; false when it
// did not within two seconds.
bool UntilPainted(Run& run, QWidget* widget, int before) {
  QElapsedTimer clock;
  clock.start();
  while (run.paints.Count(widget) <= before) {
    if (clock.elapsed() > 2000) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return true;
}

// Times `action` once per iteration, up to the paint it waits for; `check` runs after the loop
// and says what went wrong, so a benchmark never times an action that did not happen.
void Timed(benchmark::State& state, const std::string& name, int panels,
           const std::function<bool(int iteration)>& action,
           const std::function<QString()>& check) {
  Timings& samples = Samples()[name][panels];
  int iteration = 0;
  bool painted = true;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const double cpu_start = CpuSeconds();
    painted = action(iteration++) && painted;
    const double cpu = CpuSeconds() - cpu_start;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.SetIterationTime(seconds);
    samples.wall.push_back(seconds * 1000.0);
    samples.cpu.push_back(cpu * 1000.0);
    // Whatever the action left for later is handled outside the timing.
    QCoreApplication::processEvents();
  }
  QString problem = painted ? check() : QString("the window was not painted");
  if (!problem.isEmpty()) state.SkipWithError(qUtf8Printable(problem));
}

int EditedPanel(int panels) { return panels / 2; }

QTableView* CurrentsOnShow(Run& run) {
  return run.form->CurrentsGrid(run.form->TabStrip()->currentIndex());
}

void TypeQuantity(benchmark::State& state, int panels) {
  Run& run = Bench::Get().Window(panels);
  const int p = EditedPanel(panels);
  run.editor->Show({DetailView::kDevices, p, kEditedLoop});
  QCoreApplication::processEvents();
  auto* view =
      qobject_cast<velmora::ui::TFormDeviceDetails*>(run.form->ViewWidget(DetailView::kDevices));
  auto* grid = view->findChild<QTableView*>("DBGridDevices");
  QTableView* currents = CurrentsOnShow(run);
  run.paints.Watch(currents->viewport());
  const QModelIndex cell = grid->model()->index(0, velmora::ui::kQuantityColumn);
  const qint64 base = grid->model()->data(cell, Qt::EditRole).toLongLong();
  qint64 last = base;
  Timed(
      state, "quantity typed, lines painted", panels,
      [&](int i) {
        last = base + (i % 2 == 0 ? 1 : 0);
        const int before = run.paints.Count(currents->viewport());
        grid->setCurrentIndex(cell);
        grid->edit(cell);
        auto* editor = grid->findChild<QLineEdit*>("EditorQuantity");
        if (editor == nullptr) return false;
        editor->setText(QString::number(last));
        QTest::keyClick(editor, Qt::Key_Return);
        return UntilPainted(run, currents->viewport(), before);
      },
      [&] {
        if (run.prompter.said > 0) return QString("a message was shown");
        const QVariant stored =
            run.workspace->Doc()
                .Db()
                .Select("Devices", velmora::electrical::DevicesOfLoop(p, kEditedLoop))
                .front()
                .values[run.workspace->Doc().Db().ColumnIndex("Devices", "DeviceQuantity")];
        if (stored.toLongLong() != last) return QString("the quantity was not stored");
        return QString();
      });
}

void ChooseTab(benchmark::State& state, int panels) {
  Run& run = Bench::Get().Window(panels);
  const int p = EditedPanel(panels);
  QWidget* view = run.form->ViewWidget(DetailView::kPanel);
  run.paints.Watch(view);
  int shown = p;
  Timed(
      state, "panel tab chosen, view painted", panels,
      [&](int i) {
        // Another panel than the one on show each time (the edits leave panel p on show).
        shown = p + (i + 1) % 2;
        const int before = run.paints.Count(view);
        run.form->TabStrip()->setCurrentIndex(shown);
        return UntilPainted(run, view, before);
      },
      [&] {
        if (run.editor->Shown().panel != shown) return QString("the panel was not shown");
        if (run.editor->PanelForm().BatteryText().isEmpty()) return QString("no battery shown");
        return QString();
      });
}

void OpenSite(benchmark::State& state, int panels) {
  Run& run = Bench::Get().Window(panels);
  const QString file = Bench::Get().SiteFile(panels);
  QWidget* window = run.form.get();
  run.paints.Watch(window);
  bool opened = true;
  Timed(
      state, "site opened, window painted", panels,
      [&](int) {
        const int before = run.paints.Count(window);
        opened = run.workspace->OpenSiteFile(file) && opened;
        return UntilPainted(run, window, before);
      },
      [&] {
        if (!opened) return QString("the site did not open");
        if (run.form->TabStrip()->count() != panels + 1) return QString("wrong number of tabs");
        return QString();
      });
}

struct Action {
  const char* name;
  void (*run)(benchmark::State&, int);
  int small_iterations;
  int large_iterations;
  double target_ms;  // on the 200-panel site
  double allowed_growth;
};

const Action kActions[] = {
    {"quantity typed, lines painted", TypeQuantity, 40, 40, 16.0, 1.5},
    {"panel tab chosen, view painted", ChooseTab, 40, 40, 30.0, 1.5},
    {"site opened, window painted", OpenSite, 10, 6, 300.0, 4.0},
};

void PrintSummary() {
  std::printf(
      "\nMedians in ms in the offscreen desktop window, the processor time in brackets. Growth\n"
      "is from 50 to 200 panels; the targets are on the 200-panel site.\n");
  std::printf("%-32s %18s %18s %15s %8s  %s\n", "action", "50 panels", "200 panels", "growth",
              "allowed", "target on 200 panels");
  for (const Action& action : kActions) {
    const std::optional<velmora::bench::Growth> g = velmora::bench::GrowthOf(action.name);
    if (!g) continue;
    const QString target = QString("< %1 ms: %2")
                               .arg(action.target_ms)
                               .arg(g->wall_large < action.target_ms ? "met" : "MISSED");
    const bool too_much = g->Cpu() > action.allowed_growth;
    std::printf("%-32s %18s %18s %15s %7.1fx  %s%s\n", action.name, qUtf8Printable(g->Small(2)),
                qUtf8Printable(g->Large(2)), qUtf8Printable(g->Text()), action.allowed_growth,
                qUtf8Printable(target), too_much ? "  (grows too much)" : "");
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
  velmora::i18n::SetUpTranslation(Bench::Get().Home().LocaleFolder(), QStringLiteral("en"));

  for (const Action& action : kActions) {
    for (int panels : kSizes) {
      benchmark::internal::Benchmark* b = benchmark::RegisterBenchmark(
          QString("%1/%2").arg(action.name).arg(panels).replace(' ', '_').toUtf8().constData(),
          [&action, panels](benchmark::State& state) { action.run(state, panels); });
      b->UseManualTime()->Unit(benchmark::kMillisecond);
      b->Iterations(panels == kSmall ? action.small_iterations : action.large_iterations);
    }
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  PrintSummary();
  Bench::Get().Finish();
  return 0;
}
