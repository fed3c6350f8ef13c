// velmora-cli: checks a site, prints its parts list or writes its reports, with the program's
// own core and without a display.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdio>
#include <exception>
#include <optional>

#include "app/cli_check.h"
#include "app/cli_generate.h"
#include "app/cli_output.h"
#include "app/cli_session.h"
#include "i18n/settings.h"
#include "i18n/translation.h"
#include "reports/report_run.h"
#include "site/file_io.h"
#include "site/program_folder.h"
#include "site/store_error.h"

namespace {

using velmora::app::CliSession;
using velmora::reports::ReportKind;

constexpr int kPassed = 0;
constexpr int kOverloaded = 1;
constexpr int kUnusable = 2;

const char kUsage[] =
    "usage: velmora-cli check SITE.mdb [--json] [--technical-detail]\n"
    "       velmora-cli report SITE.mdb (--site | --parts) --pdf OUT.pdf\n"
    "       velmora-cli parts SITE.mdb [--csv]\n"
    "       velmora-cli generate [--panels N] [--loops L] [--rows R] OUT.mdb\n"
    "The site file is never changed. Exit status: 0 when every loop and power supply passes,\n"
    "1 when one is overloaded, 2 when a file cannot be used.\n"
    "generate builds a large site from the catalogue (50 panels of 8 loops with 10 device rows\n"
    "each unless told otherwise) into OUT.mdb, which must not exist yet.\n";

void Out(const QString& text) {
  const QByteArray bytes = text.toUtf8();
  std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

int Fail(const QString& message) {
  std::fprintf(stderr, "velmora-cli: %s\n", qUtf8Printable(message));
  return kUnusable;
}

int Usage(const QString& problem) {
  std::fprintf(stderr, "velmora-cli: %s\n%s", qUtf8Printable(problem), kUsage);
  return kUnusable;
}

struct Command {
  QString name;
  QString site;
  bool json = false;
  bool technical_detail = false;
  bool csv = false;
  std::optional<ReportKind> report;
  QString pdf;
  velmora::app::SiteShape shape;
};

// The whole-number value of a generate option.
QString ParseCount(const QStringList& args, int* i, int* value) {
  const QString option = args[*i];
  if (*i + 1 >= args.size()) return QString("%1 needs a number").arg(option);
  bool ok = false;
  *value = args[++*i].toInt(&ok);
  if (!ok) return QString("%1 needs a whole number, not '%2'").arg(option, args[*i]);
  return QString();
}

// Parses the arguments; an empty text when they are fine, else what is wrong.
QString Parse(const QStringList& args, Command* command) {
  if (args.isEmpty()) return "no command given";
  command->name = args[0];
  if (command->name != "check" && command->name != "report" && command->name != "parts" &&
      command->name != "generate")
    return QString("unknown command '%1'").arg(command->name);
  for (int i = 1; i < args.size(); ++i) {
    const QString& a = args[i];
    const QString& c = command->name;
    if (a == "--json" && c == "check") {
      command->json = true;
    } else if (a == "--technical-detail" && c == "check") {
      command->technical_detail = true;
    } else if (a == "--csv" && c == "parts") {
      command->csv = true;
    } else if ((a == "--site" || a == "--parts") && c == "report") {
      const ReportKind kind = a == "--site" ? ReportKind::kSite : ReportKind::kParts;
      if (command->report && *command->report != kind) return "give --site or --parts, not both";
      command->report = kind;
    } else if (a == "--pdf" && c == "report") {
      if (i + 1 >= args.size()) return "--pdf needs a file name";
      command->pdf = args[++i];
    } else if ((a == "--panels" || a == "--loops" || a == "--rows") && c == "generate") {
      int* value = a == "--panels"  ? &command->shape.panels
                   : a == "--loops" ? &command->shape.loops
                                    : &command->shape.rows;
      const QString problem = ParseCount(args, &i, value);
      if (!problem.isEmpty()) return problem;
    } else if (a.startsWith("--")) {
      return QString("unknown option '%1' for %2").arg(a, c);
    } else if (command->site.isEmpty()) {
      command->site = a;
    } else {
      return QString("unexpected argument '%1'").arg(a);
    }
  }
  if (command->site.isEmpty())
    return command->name == "generate" ? "no file to write given" : "no site file given";
  if (command->name == "report") {
    if (!command->report) return "give --site or --parts";
    if (command->pdf.isEmpty()) return "give --pdf OUT.pdf";
    // The site file is never written, not even when it is named as the output by mistake.
    const QFileInfo out(command->pdf);
    if (out.exists() && out.canonicalFilePath() == QFileInfo(command->site).canonicalFilePath())
      return QString("%1 is the site file itself; give another file for the PDF").arg(command->pdf);
  }
  return QString();
}

int Run(const Command& command, const velmora::i18n::Settings& settings) {
  CliSession session(velmora::site::ProgramFolder::FromEnvironment());
  QString error;
  if (!session.Start(&error)) return Fail(error);
  if (command.name == "generate") {
    if (!velmora::app::GenerateSite(session, command.shape, command.site, &error))
      return Fail(error);
    Out(QString("%1: %2 panels, %3 loops, %4 device rows\n")
            .arg(command.site)
            .arg(command.shape.panels)
            .arg(command.shape.panels * command.shape.loops)
            .arg(command.shape.panels * command.shape.loops * command.shape.rows));
    return kPassed;
  }
  session.Ws().State().SetTechnicalDetail(command.technical_detail);
  if (!session.OpenSite(command.site, &error)) return Fail(error);

  velmora::app::RecalculateSite(session.Data());
  const velmora::app::SiteCheck check =
      velmora::app::ReadSiteCheck(session.Data(), command.technical_detail);
  if (command.name == "check") {
    if (command.json) {
      Out(QString::fromUtf8(velmora::app::CheckJson(check)));
    } else {
      Out(velmora::app::CheckTable(check));
    }
  } else if (command.name == "report") {
    if (!velmora::reports::WriteReportPdf(session.Ws(), session.Print(), *command.report, settings,
                                          command.pdf, &error))
      return Fail(QString("%1: %2").arg(command.pdf, error));
  } else {
    velmora::reports::PrepareReport(session.Ws(), session.Print(), ReportKind::kParts, settings);
    const auto parts = velmora::reports::ReadReportData(session.Print().Db()).parts;
    Out(command.csv ? velmora::app::PartsCsv(parts) : velmora::app::PartsTable(parts));
  }
  return check.Passed() ? kPassed : kOverloaded;
}

// Qt's own notes (a missing runtime folder and the like) are no concern of the tool's user;
// only its failures are.
void QtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg)
    std::fprintf(stderr, "velmora-cli: %s\n", qUtf8Printable(message));
}

}  // namespace

int main(int argc, char** argv) {
  qInstallMessageHandler(QtMessages);
  // No display is needed: pages are painted off screen.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // The language and country code are found as the desktop program finds them.
  const velmora::i18n::Settings settings = velmora::i18n::Settings::FromEnvironment();
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
  Command command;
  const QString problem = Parse(arguments, &command);
  if (!problem.isEmpty()) return Usage(problem);
  const velmora::site::ProgramFolder home = velmora::site::ProgramFolder::FromEnvironment();
  velmora::i18n::SetUpTranslation(home.LocaleFolder(), settings);
  try {
    return Run(command, settings);
  } catch (const velmora::site::StoreError& e) {
    return Fail(QString("%1: %2").arg(command.site, e.Message()));
  } catch (const std::exception& e) {
    return Fail(QString("%1: %2").arg(command.site, QString::fromUtf8(e.what())));
  }
}
