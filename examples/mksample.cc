// velmora-mksample RAW.mdb OUT.mdb: the build's last step for a sample site. Opens a site made
// from SQL text with the program's own core, works out every device row, loop and panel, and
// saves the result, so the sample opens in the program with its currents and checks in place.
#include <QCoreApplication>
#include <QFile>
#include <cstdio>

#include "app/cli_check.h"
#include "app/cli_session.h"
#include "i18n/translation.h"
#include "site/program_folder.h"
#include "site/store_error.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: velmora-mksample RAW.mdb OUT.mdb\n");
    return 2;
  }
  const velmora::site::ProgramFolder home = velmora::site::ProgramFolder::FromEnvironment();
  // The stored texts (loop names, status texts) of a shipped sample are English.
  velmora::i18n::SetUpTranslation(home.LocaleFolder(), QStringLiteral("en"));
  velmora::app::CliSession session(home);
  QString error;
  try {
    if (!session.Start(&error) || !session.OpenSite(QString::fromLocal8Bit(argv[1]), &error)) {
      std::fprintf(stderr, "velmora-mksample: %s\n", qUtf8Printable(error));
      return 1;
    }
    // The atrium loop's overload is part of the sample; its warning is no news to the build.
    session.Prompter().Hold();
    velmora::app::RecalculateSite(session.Data());
    session.Prompter().Release();
    const QString out = QString::fromLocal8Bit(argv[2]);
    QFile::remove(out);
    session.Ws().State().SetSiteFileName(out);
    session.Ws().State().SetSiteSaved(true);
    if (!session.Ws().SaveSite()) {
      std::fprintf(stderr, "velmora-mksample: %s could not be written\n", argv[2]);
      return 1;
    }
  } catch (const velmora::site::StoreError& e) {
    std::fprintf(stderr, "velmora-mksample: %s\n", qUtf8Printable(e.Message()));
    return 1;
  }
  return 0;
}
