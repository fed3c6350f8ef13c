// velmora-cli: checks a site, prints its parts list or writes its reports, with the program's
// own core and without a display.
#include <QGuiApplication>
#include <QStringList>
#include <cstdio>
#include <exception>
#include <optional>

#include "app/cli_check.h"
#include "app/cli_output.h"
#include "app/cli_session.h"
#include "i18n/settings.h"
#include "i18n/translation.h"
#include "reports/report_run.h"
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
    "The site file is never changed. Exit status: 0 when every loop and power supply passes,\n"
    "1 when one is overloaded, 2 when a file cannot be used.\n";

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
};

// Parses the arguments; an empty text when they are fine, else what is wrong.
QString Parse(const QStringList& args, Command* command) {
  if (args.isEmpty()) return "no command given";
  command->name = args[0];
  if (command->name != "check" && command->name != "report" && command->name != "parts")
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
    } else if (a.startsWith("--")) {
      return QString("unknown option '%1' for %2").arg(a, c);
    } else if (command->site.isEmpty()) {
      command->site = a;
    } else {
      return QString("unexpected argument '%1'").arg(a);
    }
  }
  if (command->site.isEmpty()) return "no site file given";
  if (command->name == "report") {
    if (!command->report) return "give --site or --parts";
    if (command->pdf.isEmpty()) return "give --pdf OUT.pdf";
  }
  return QString();
}

int Run(const Command& command, const velmora::i18n::Settings& settings) {
  CliSession session(velmora::site::ProgramFolder::FromEnvironment());
  QString error;
  if (!session.Start(&error)) return Fail(error);
  session.Ws().State().SetTechnicalDetail(command.technical_detail);
  if (!session.OpenSite(command.site, &error)) return Fail(error);

  velmora::app::RecalculateSite(session.R());
  const velmora::app::SiteCheck check = velmora::app::ReadSiteCheck(session.R());
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

  Command command;
  const QString problem = Parse(app.arguments().mid(1), &command);
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
