// velmora-cli: checks a site, prints its parts list or writes its reports, with the program's
// own core and without a display.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QSet>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdio>
#include <exception>
#include <vector>

#include "app/cli_apply.h"
#include "app/cli_check.h"
#include "app/cli_generate.h"
#include "app/cli_output.h"
#include "app/cli_session.h"
#include "electrical/recalculation.h"
#include "i18n/settings.h"
#include "i18n/tr.h"
#include "i18n/translation.h"
#include "reports/report_run.h"
#include "site/file_io.h"
#include "site/program_folder.h"
#include "site/store_error.h"
#include "velmora/version.h"

namespace {

using velmora::app::CliSession;
using velmora::i18n::Settings;
using velmora::i18n::Source;
using velmora::i18n::Tr;
using velmora::reports::ReportKind;

// Exit statuses; docs/cli.md promises them to scripts.
constexpr int kPassed = 0;
constexpr int kOverloaded = 1;
constexpr int kUnusable = 2;

void Out(const QString& text) {
  const QByteArray bytes = text.toUtf8();
  std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

void Err(const QString& text) {
  const QByteArray bytes = text.toUtf8();
  std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
}

int Fail(const QString& message) {
  Err("velmora-cli: " + message + "\n");
  return kUnusable;
}

// What the arguments of a run ask for, sorted by the command's table below.
struct Arguments {
  QString command;
  QStringList files;               // the positional arguments, in order
  QSet<QString> flags;             // options without a value
  QHash<QString, QString> values;  // options with a value

  bool Has(const char* flag) const { return flags.contains(flag); }
  QString Value(const char* option) const { return values.value(option); }
};

struct Option {
  const char* name;
  const char* value = nullptr;              // the value's name in the usage; none for a flag
  Source missing = N_("%1 needs a value");  // the complaint when the value is not given
};

struct Positional {
  const char* name;  // as the usage writes it
  Source missing;    // the complaint when it is not given
};

// One command of the tool: its arguments, the checks the table cannot express, and its run.
struct CommandSpec {
  const char* name;
  const char* synopsis;  // the usage line after the command's name
  std::vector<Positional> files;
  std::vector<Option> options;
  QString (*check)(const Arguments&);
  int (*run)(const Arguments&, const Settings&);
};

// The value of a whole-number option, or the complaint about it.
QString ReadCount(const Arguments& args, const char* option, int* value) {
  if (!args.values.contains(option)) return QString();
  bool ok = false;
  const int read = args.Value(option).toInt(&ok);
  if (!ok) return Tr(N_("%1 needs a whole number, not '%2'")).arg(option, args.Value(option));
  *value = read;
  return QString();
}

QString CheckReport(const Arguments& args) {
  if (args.Has("--site") && args.Has("--parts")) return Tr(N_("give --site or --parts, not both"));
  if (!args.Has("--site") && !args.Has("--parts")) return Tr(N_("give --site or --parts"));
  if (!args.values.contains("--pdf")) return Tr(N_("give --pdf OUT.pdf"));
  // The site file is never written, not even when it is named as the output by mistake.
  const QString pdf = args.Value("--pdf");
  const QFileInfo out(pdf);
  if (out.exists() && out.canonicalFilePath() == QFileInfo(args.files[0]).canonicalFilePath())
    return Tr(N_("%1 is the site file itself; give another file for the PDF")).arg(pdf);
  return QString();
}

QString CheckApply(const Arguments& args) {
  if (!args.values.contains("--out")) return Tr(N_("give --out OUT.mdb"));
  // The result goes into a file of its own: never over the site, the script or a file there is.
  const QFileInfo out(args.Value("--out"));
  if (out.exists() || out.isSymLink())
    return Tr(N_("%1 already exists; give a file that does not exist yet for --out"))
        .arg(args.Value("--out"));
  return QString();
}

QString CheckGenerate(const Arguments& args) {
  for (const char* option : {"--panels", "--loops", "--rows"}) {
    int value = 0;
    const QString problem = ReadCount(args, option, &value);
    if (!problem.isEmpty()) return problem;
  }
  return QString();
}

// Opens the site of `args` into the session, brings its results up to date and gives the
// warnings of its checks, each once: two panels with an overloaded loop 4 would repeat the same
// line, which says nothing new (the results name every loop). Returns kPassed, or the exit
// status of the failure it has reported.
int OpenAndCheck(CliSession& session, const Arguments& args, velmora::app::SiteCheck* check) {
  QString error;
  if (!session.Start(&error)) return Fail(error);
  session.Ws().State().SetTechnicalDetail(args.Has("--technical-detail"));
  if (!session.OpenSite(args.files[0], &error)) return Fail(error);
  velmora::app::RecalculateSite(session.Data());
  const velmora::electrical::Recalculation found =
      velmora::electrical::RecalculatePanels(session.Data(), {}, false);
  QStringList warnings;
  for (const velmora::electrical::LoopResult& loop : found.loops)
    warnings << velmora::electrical::LoopOverloadWarning(loop);
  for (const velmora::electrical::PanelResult& panel : found.panels)
    warnings << velmora::electrical::SupplyWarnings(panel);
  for (const QString& warning : warnings) {
    if (!warning.isEmpty() && !session.Prompter().Printed().contains(warning))
      session.Prompter().Warn(warning, {});
  }
  *check = velmora::app::ReadSiteCheck(session.Data(), args.Has("--technical-detail"));
  return kPassed;
}

int Verdict(const velmora::app::SiteCheck& check) { return check.Passed() ? kPassed : kOverloaded; }

int RunCheck(const Arguments& args, const Settings&) {
  CliSession session(velmora::site::ProgramFolder::FromEnvironment());
  velmora::app::SiteCheck check;
  if (const int failed = OpenAndCheck(session, args, &check); failed != kPassed) return failed;
  if (args.Has("--json")) {
    Out(QString::fromUtf8(velmora::app::CheckJson(check)));
  } else {
    Out(velmora::app::CheckTable(check));
  }
  return Verdict(check);
}

int RunReport(const Arguments& args, const Settings& settings) {
  CliSession session(velmora::site::ProgramFolder::FromEnvironment());
  velmora::app::SiteCheck check;
  if (const int failed = OpenAndCheck(session, args, &check); failed != kPassed) return failed;
  const ReportKind kind = args.Has("--site") ? ReportKind::kSite : ReportKind::kParts;
  const QString pdf = args.Value("--pdf");
  QString error;
  if (!velmora::reports::WriteReportPdf(session.Ws(), session.Print(), kind, settings, pdf, &error))
    return Fail(QString("%1: %2").arg(pdf, error));
  return Verdict(check);
}

int RunParts(const Arguments& args, const Settings& settings) {
  CliSession session(velmora::site::ProgramFolder::FromEnvironment());
  velmora::app::SiteCheck check;
  if (const int failed = OpenAndCheck(session, args, &check); failed != kPassed) return failed;
  velmora::reports::PrepareReport(session.Ws(), session.Print(), ReportKind::kParts, settings);
  const velmora::reports::ReportData data = velmora::reports::ReadReportData(session.Print().Db());
  if (args.Has("--csv")) {
    // The CSV holds the parts only; what the list says under itself goes beside it.
    Out(velmora::app::PartsCsv(data.parts));
    for (const QString& note : data.part_notes) Err("velmora-cli: " + note + "\n");
  } else {
    Out(velmora::app::PartsTable(data.parts, data.part_notes));
  }
  return Verdict(check);
}

int RunApply(const Arguments& args, const Settings&) {
  CliSession session(velmora::site::ProgramFolder::FromEnvironment());
  QString error;
  if (!session.Start(&error)) return Fail(error);
  if (!session.OpenSite(args.files[0], &error)) return Fail(error);
  QFile script_file(args.files[1]);
  if (!QFileInfo(args.files[1]).isFile() || !script_file.open(QIODevice::ReadOnly))
    return Fail(Tr(N_("the script %1 cannot be read")).arg(args.files[1]));
  std::vector<velmora::app::ScriptLine> script;
  if (!velmora::app::ReadScript(script_file.readAll(), &script, &error))
    return Fail(QString("%1: %2").arg(args.files[1], error));

  const std::vector<velmora::app::LineReport> lines = velmora::app::RunScript(session, script);
  bool refused = false;
  for (const velmora::app::LineReport& line : lines) {
    refused = refused || line.status == velmora::action::Status::kRefused;
    for (const QString& message : line.messages) {
      // A message of several lines goes on indented; the blank lines between its parts stay
      // blank.
      QStringList parts = message.split('\n');
      for (int i = 1; i < parts.size(); ++i) {
        if (!parts[i].isEmpty()) parts[i] = "    " + parts[i];
      }
      Err("velmora-cli: " + Tr(N_("line %1")).arg(line.line) + ": " + parts.join('\n') + "\n");
    }
    if (line.status == velmora::action::Status::kRefused && line.messages.isEmpty())
      Err("velmora-cli: " + Tr(N_("line %1")).arg(line.line) + ": " + Tr(N_("refused")) + "\n");
  }
  const QString out = args.Value("--out");
  if (!session.Ws().SaveNewCopy(out, &error)) return Fail(error);
  if (args.Has("--json"))
    Out(QString::fromUtf8(
        velmora::app::ScriptReportJson(lines, QFileInfo(out).absoluteFilePath())));
  return refused ? kOverloaded : kPassed;
}

int RunGenerate(const Arguments& args, const Settings&) {
  velmora::app::SiteShape shape;
  ReadCount(args, "--panels", &shape.panels);
  ReadCount(args, "--loops", &shape.loops);
  ReadCount(args, "--rows", &shape.rows);
  CliSession session(velmora::site::ProgramFolder::FromEnvironment());
  QString error;
  if (!session.Start(&error)) return Fail(error);
  const QString file = args.files[0];
  if (!velmora::app::GenerateSite(session, shape, file, &error)) return Fail(error);
  Out(Tr(N_("%1: %2 panels, %3 loops, %4 device rows"))
          .arg(file)
          .arg(shape.panels)
          .arg(shape.panels * shape.loops)
          .arg(shape.panels * shape.loops * shape.rows) +
      "\n");
  return kPassed;
}

const std::vector<CommandSpec>& Commands() {
  static const std::vector<CommandSpec> commands = {
      {"check",
       "SITE.mdb [--json] [--technical-detail]",
       {{"SITE.mdb", N_("no site file given")}},
       {{"--json"}, {"--technical-detail"}},
       nullptr,
       RunCheck},
      {"report",
       "SITE.mdb (--site | --parts) --pdf OUT.pdf",
       {{"SITE.mdb", N_("no site file given")}},
       {{"--site"}, {"--parts"}, {"--pdf", "OUT.pdf", N_("%1 needs a file name")}},
       CheckReport,
       RunReport},
      {"parts",
       "SITE.mdb [--csv]",
       {{"SITE.mdb", N_("no site file given")}},
       {{"--csv"}},
       nullptr,
       RunParts},
      {"apply",
       "SITE.mdb SCRIPT.jsonl --out OUT.mdb [--json]",
       {{"SITE.mdb", N_("no site file given")}, {"SCRIPT.jsonl", N_("no script given")}},
       {{"--out", "OUT.mdb", N_("%1 needs a file name")}, {"--json"}},
       CheckApply,
       RunApply},
      {"generate",
       "[--panels N] [--loops L] [--rows R] OUT.mdb",
       {{"OUT.mdb", N_("no file to write given")}},
       {{"--panels", "N", N_("%1 needs a number")},
        {"--loops", "L", N_("%1 needs a number")},
        {"--rows", "R", N_("%1 needs a number")}},
       CheckGenerate,
       RunGenerate},
  };
  return commands;
}

QString Usage() {
  QString text;
  const QString lead = Tr(N_("usage:")) + " ";
  for (const CommandSpec& command : Commands()) {
    text += (text.isEmpty() ? lead : QString(lead.size(), ' ')) + "velmora-cli " + command.name +
            " " + command.synopsis + "\n";
  }
  text += QString(lead.size(), ' ') + "velmora-cli --help | --version\n";
  text +=
      Tr(N_("check prints the loops, outputs, currents and batteries of every panel, as JSON "
            "with --json;\n"
            "report writes the site report or the parts-list report as a PDF file; parts "
            "prints the\n"
            "parts list, as CSV with --csv. The site file is never changed.\n"
            "Exit status: 0 when every loop and power supply passes, 1 when one is "
            "overloaded,\n"
            "2 when a file cannot be used or the arguments are wrong.\n"
            "generate builds a large site from the catalogue (50 panels of 8 loops with 10 "
            "device rows\n"
            "each unless told otherwise) into OUT.mdb, which must not exist yet.\n"));
  text +=
      Tr(N_("apply carries out the actions of SCRIPT.jsonl, one JSON object a line, on a copy "
            "of the site\n"
            "and writes the result into OUT.mdb, which must not exist yet; 1 when a line was "
            "refused.\n"));
  return text;
}

int UsageError(const QString& problem) {
  Err("velmora-cli: " + problem + "\n" + Usage());
  return kUnusable;
}

// Sorts the arguments by the command's table; an empty text when they are fine, else what is
// wrong.
QString Parse(const QStringList& list, const CommandSpec** command, Arguments* args) {
  if (list.isEmpty()) return Tr(N_("no command given"));
  args->command = list[0];
  *command = nullptr;
  for (const CommandSpec& spec : Commands()) {
    if (args->command == spec.name) *command = &spec;
  }
  if (*command == nullptr) return Tr(N_("unknown command '%1'")).arg(args->command);
  const CommandSpec& spec = **command;
  for (int i = 1; i < list.size(); ++i) {
    const QString& a = list[i];
    if (!a.startsWith("--")) {
      if (args->files.size() >= int(spec.files.size()))
        return Tr(N_("unexpected argument '%1'")).arg(a);
      args->files << a;
      continue;
    }
    const Option* option = nullptr;
    for (const Option& o : spec.options) {
      if (a == o.name) option = &o;
    }
    if (option == nullptr) return Tr(N_("unknown option '%1' for %2")).arg(a, spec.name);
    if (option->value == nullptr) {
      args->flags.insert(a);
    } else {
      if (i + 1 >= list.size()) return Tr(option->missing).arg(a);
      args->values.insert(a, list[++i]);
    }
  }
  if (args->files.size() < int(spec.files.size()))
    return Tr(spec.files[args->files.size()].missing);
  return spec.check ? spec.check(*args) : QString();
}

// Qt's own notes (a missing runtime folder and the like) are no concern of the tool's user;
// only its failures are.
void QtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg) Err("velmora-cli: " + message + "\n");
}

}  // namespace

int main(int argc, char** argv) {
  qInstallMessageHandler(QtMessages);
  // No display is needed: pages are painted off screen.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // The language and country code are found as the desktop program finds them.
  const Settings settings = Settings::FromEnvironment();
  settings.CopyMachineSettings();
  QGuiApplication app(argc, argv);
  QGuiApplication::setApplicationName("velmora-cli");

  // A file name that is not valid in the system's encoding does not survive decoding; such a
  // file is reached through a link to it that has a valid name.
  QTemporaryDir aliases;
  QStringList arguments;
  for (int i = 1; i < argc; ++i) {
    const QByteArray raw(argv[i]);
    QString argument = QFile::decodeName(raw);
    if (QFile::encodeName(argument) != raw && aliases.isValid()) {
      const QString alias =
          QDir(aliases.filePath(QString::number(i))).filePath(QFileInfo(argument).fileName());
      QDir().mkpath(QFileInfo(alias).absolutePath());
      const QString reached = velmora::site::ReachableName(raw, alias);
      if (!reached.isEmpty()) argument = reached;
    }
    arguments << argument;
  }
  QGuiApplication::setApplicationVersion(velmora::kVersion);
  const velmora::site::ProgramFolder home = velmora::site::ProgramFolder::FromEnvironment();
  // Before any text is made, so that the usage and every complaint speak the user's language.
  velmora::i18n::SetUpTranslation(home.LocaleFolder(), settings);

  const QStringList& list = arguments;
  if (list.contains("--help") || list.contains("-h")) {
    Out(Usage());
    return kPassed;
  }
  if (list.contains("--version")) {
    Out(QString("velmora-cli %1\n").arg(velmora::kVersion));
    return kPassed;
  }
  const CommandSpec* command = nullptr;
  Arguments args;
  const QString problem = Parse(list, &command, &args);
  if (!problem.isEmpty()) return UsageError(problem);
  try {
    return command->run(args, settings);
  } catch (const velmora::site::StoreError& e) {
    return Fail(QString("%1: %2").arg(args.files.value(0), e.Message()));
  } catch (const std::exception& e) {
    return Fail(QString("%1: %2").arg(args.files.value(0), QString::fromUtf8(e.what())));
  }
}
