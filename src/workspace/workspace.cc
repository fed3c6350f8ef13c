#include "workspace/workspace.h"

#include <cstdio>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include "catalogue/lookup.h"
#include "electrical/recalculation.h"
#include "electrical/site_rows.h"
#include "i18n/messages.h"
#include "i18n/tr.h"
#include "site/file_copy.h"
#include "site/site_saver.h"
#include "site/store_error.h"
#include "site/untrusted_open.h"
#include "workspace/site_properties.h"

namespace velmora::workspace {

using i18n::Msg;

namespace {

constexpr i18n::Source kCopyError = N_("Copy error");

}  // namespace

Workspace::Workspace(const site::ProgramFolder& folder, site::Prompter& prompter)
    : folder_(folder),
      prompter_(prompter),
      doc_(folder),
      catalogue_(folder),
      data_{doc_, catalogue_} {}

Workspace::~Workspace() = default;

void Workspace::OpenTables() {
  // What a working copy held is thrown away when the session starts in any case (and it is
  // written without waiting for the disk, so a crash of the machine may have damaged it): every
  // run starts on a fresh copy of the template, and without a template there is no run at all,
  // rather than one that carries on with old content.
  const QString working_folder = QFileInfo(folder_.WorkingCopy()).absolutePath();
  site::RemoveAbandonedStaging(working_folder);
  for (const char* suffix : {"-journal", "-wal", "-shm"})
    QFile::remove(folder_.WorkingCopy() + suffix);
  QString error;
  if (site::CopyWholeFile(folder_.Template(), folder_.WorkingCopy(), true, &error) !=
      site::CopyResult::kOk)
    throw site::StoreError(i18n::Tr(N_("Cannot make the working copy from the blank site %1: %2"))
                               .arg(QDir::toNativeSeparators(folder_.Template()), error));
  // The catalogue first (its upgrades run as its tables open), then the working copy with the
  // schema step of older documents, then the defaults and the device catalogue.
  catalogue_.OpenPanelSpec();
  catalogue_.OpenTranslation();
  doc_.Open();
  catalogue_.OpenDefaultPanel();
  catalogue_.OpenDeviceCatalogue();
}

void Workspace::StartSession() {
  if (!MakeNewSite()) return;
  // Told once per run: without them, protocols, option boards or devices are missing.
  const QStringList& problems = catalogue_.UpgradeProblems();
  if (!problems.isEmpty())
    prompter_.Warn(i18n::Tr(N_("Parts of the catalogue could not be brought up to date, so what "
                               "they add is missing in this run:")) +
                   "\n" + problems.join("\n"));
}

bool Workspace::ReplaceWorkingCopy(const QString& source, QString* error) {
  // The source is copied next to the working copy and checked there first, so a file that
  // cannot serve never replaces the site being worked on.
  const QString staged = folder_.WorkingCopy() + ".incoming";
  QFile::remove(staged);
  const QString problem =
      site::StageSiteFile(source, staged, {.layout_reference = folder_.Template()});
  if (!problem.isEmpty()) {
    *error = problem;
    return false;
  }
  doc_.Release(site::SiteDocument::ReleaseOrder::kReplace);
  const QByteArray from = QFile::encodeName(staged);
  const QByteArray to = QFile::encodeName(folder_.WorkingCopy());
  for (const char* suffix : {"-journal", "-wal", "-shm"})
    QFile::remove(folder_.WorkingCopy() + suffix);
  bool ok = ::rename(from.constData(), to.constData()) == 0;
  if (!ok) {
    *error = i18n::Tr(N_("the working copy cannot be replaced"));
    QFile::remove(staged);
  }
  try {
    doc_.Open();
  } catch (const site::StoreError& e) {
    *error = e.Message();
    ok = false;
  }
  return ok;
}

bool Workspace::ResetWorkingCopy() {
  QString error;
  if (!ReplaceWorkingCopy(folder_.Template(), &error)) {
    prompter_.Warn(i18n::Tr(N_("The blank site %1 cannot be used: %2"))
                       .arg(QDir::toNativeSeparators(folder_.Template()), error));
    return false;
  }
  state_.SetSiteSaved(false);
  state_.SetSiteFileName(QString());
  return true;
}

bool Workspace::OfferToSave() {
  if (state_.SiteSaved()) return true;
  for (;;) {
    switch (
        prompter_.AskYesNoCancel(i18n::Text(Msg::kDataNotSaved), site::Prompter::Icon::kQuestion)) {
      case site::Prompter::Answer::kYes:
        if (SaveSite()) return true;
        break;
      case site::Prompter::Answer::kNo:
        return true;
      case site::Prompter::Answer::kCancel:
        return false;
    }
  }
}

bool Workspace::NewSite() {
  if (!OfferToSave()) return false;
  return MakeNewSite();
}

bool Workspace::MakeNewSite() {
  if (!ResetWorkingCopy()) return false;
  site::Transaction transaction(&doc_.Db());
  WriteSiteDefaults(data_);
  ApplyDefaultSiteTimes(data_);
  transaction.Commit();
  emit SiteReplaced();
  return true;
}

bool Workspace::OpenSite() {
  if (!OfferToSave()) return false;
  site::Prompter::FileDialog dialog;
  dialog.folder = folder_.SitesFolder();
  dialog.filters = {i18n::Tr(N_("Database file (*.mdb)")), i18n::Tr(N_("All files (*.*)"))};
  dialog.default_suffix = "mdb";
  const std::optional<QString> file = prompter_.ChooseOpenFile(dialog);
  if (!file) return false;
  return OpenSiteFile(*file);
}

bool Workspace::OpenSiteFile(const QString& file) {
  QString error;
  if (!ReplaceWorkingCopy(file, &error)) {
    prompter_.Warn(i18n::Tr(N_("The site file %1 cannot be opened: %2"))
                       .arg(QDir::toNativeSeparators(file), error));
    return false;
  }
  try {
    RefreshStoredTexts();
  } catch (const site::StoreError& e) {
    // The check let the file through but it still cannot be worked with: it is not kept as
    // the site on show, and the program carries on with a blank one.
    prompter_.Warn(i18n::Tr(N_("The site file %1 cannot be opened: %2"))
                       .arg(QDir::toNativeSeparators(file), e.Message()));
    MakeNewSite();
    return false;
  }
  state_.SetSiteFileName(QFileInfo(file).absoluteFilePath());
  emit SiteReplaced();
  return true;
}

void Workspace::RefreshStoredTexts() {
  // Every row of three tables is visited: they are read once through keyed row sets, each text is
  // looked up once, and only the rows whose text changes are written.
  using electrical::IntAt;
  using electrical::TextAt;
  const site::SiteColumns& cols = doc_.Cols();
  site::Database& db = doc_.Db();
  site::Transaction transaction(&db);
  site::Table& lookup = catalogue_.Translation();
  {
    electrical::RowSet devices(db, "Devices");
    const int c_code = cols.devices.type_code;
    const int c_text = cols.devices.type_text;
    QHash<qint64, QString> texts;
    for (site::Row& row : devices.Rows()) {
      const qint64 code = IntAt(row, c_code);
      if (code == 0) continue;
      auto text = texts.find(code);
      if (text == texts.end())
        text = texts.insert(code, catalogue::LookupDeviceTypeText(lookup, code));
      if (TextAt(row, c_text) == *text) continue;
      electrical::RowEdit edit(devices, row);
      edit.Set(c_text, *text);
      edit.Store();
    }
  }
  {
    electrical::RowSet outputs(db, "Outputs");
    const int c_number = cols.outputs.number;
    const int c_name = cols.outputs.name;
    QHash<qint64, QString> names;
    for (site::Row& row : outputs.Rows()) {
      const qint64 number = IntAt(row, c_number);
      auto name = names.find(number);
      if (name == names.end()) name = names.insert(number, catalogue::OutputName(lookup, number));
      if (TextAt(row, c_name) == *name) continue;
      electrical::RowEdit edit(outputs, row);
      edit.Set(c_name, *name);
      edit.Store();
    }
  }
  {
    electrical::RowSet loops(db, "Loops");
    const int c_number = cols.loops.number;
    const int c_name = cols.loops.name;
    const QString loop_word = i18n::Text(Msg::kLoop) + " ";
    for (site::Row& row : loops.Rows()) {
      electrical::RowEdit edit(loops, row);
      edit.Set(c_name, loop_word + QString::number(IntAt(row, c_number)));
      edit.Store();
    }
  }
  {
    // Panels of the channel that the maker renamed take its new name.
    electrical::RowSet panels(db, "Panels");
    for (site::Row& row : panels.Rows()) {
      if (TextAt(row, cols.panels.channel) != u"Halvo") continue;
      electrical::RowEdit edit(panels, row);
      edit.Set(cols.panels.channel, QStringLiteral("Tarvik"));
      edit.Store();
    }
    electrical::RowSet site(db, "Site");
    if (site::Row* row = site.First(); row && TextAt(*row, cols.site.channel) == u"Halvo") {
      electrical::RowEdit edit(site, *row);
      edit.Set(cols.site.channel, QStringLiteral("Tarvik"));
      edit.Store();
    }
  }
  // The stored results are what the rows and this catalogue give, reasons and all.
  electrical::RecalculatePanels(data_);
  transaction.Commit();
}

site::Prompter::FileDialog Workspace::SaveDialog() const {
  site::Prompter::FileDialog dialog;
  dialog.folder = folder_.SitesFolder();
  dialog.file_name = state_.SiteFileName();
  dialog.filters = {i18n::Tr(N_("Database file (*.mdb)"))};
  dialog.default_suffix = "mdb";
  return dialog;
}

bool Workspace::SaveSite() { return Save(state_.SiteFileName().isEmpty()); }

bool Workspace::SaveSiteAs() { return Save(true); }

bool Workspace::Save(bool choose_name) {
  doc_.Release(site::SiteDocument::ReleaseOrder::kSave);
  // The file name and the saved state change only once a copy has succeeded: a declined
  // overwrite or a failed copy leaves both as they were.
  QString target = state_.SiteFileName();
  site::CopyResult result = site::CopyResult::kFailed;
  QString error;
  bool attempted = false;
  if (!choose_name) {
    attempted = true;
    result = site::SaveWorkingCopy(doc_.WorkingCopy(), target, true, &error);
  } else if (std::optional<QString> chosen = prompter_.ChooseSaveFile(SaveDialog())) {
    target = QFileInfo(*chosen).absoluteFilePath();
    attempted = true;
    result = site::SaveWorkingCopy(doc_.WorkingCopy(), target, false, &error);
    if (result == site::CopyResult::kTargetExists) {
      attempted = false;
      if (prompter_.AskYesNo(i18n::Text(Msg::kFilenameExists), site::Prompter::Icon::kWarning)) {
        attempted = true;
        result = site::SaveWorkingCopy(doc_.WorkingCopy(), target, true, &error);
      }
    }
  }
  const bool done = result == site::CopyResult::kOk || result == site::CopyResult::kNotConfirmed;
  if (done) {
    state_.SetSiteFileName(target);
    state_.SetSiteSaved(true);
    if (result == site::CopyResult::kNotConfirmed)
      prompter_.Warn(i18n::Tr(N_("The site was saved, but it may not be on the disk yet:")) + "\n" +
                     error);
  } else if (attempted) {
    prompter_.Warn(i18n::Tr(kCopyError) + "\n" + error);
    // A failed copy over the site's own file: that file stays as it was, and the site is no
    // longer known to be saved in it.
    if (!choose_name) state_.SetSiteSaved(false);
  }
  try {
    doc_.Open();
  } catch (const site::StoreError& e) {
    prompter_.Warn(i18n::Tr(N_("The working copy cannot be reopened: %1")).arg(e.Message()));
  }
  if (done) emit Saved(target);
  return done;
}

bool Workspace::SaveNewCopy(const QString& file, QString* error) {
  doc_.Release(site::SiteDocument::ReleaseOrder::kSave);
  QString reason;
  const site::CopyResult result = site::SaveWorkingCopy(doc_.WorkingCopy(), file, false, &reason);
  bool done = result == site::CopyResult::kOk || result == site::CopyResult::kNotConfirmed;
  if (result == site::CopyResult::kTargetExists) {
    *error = i18n::Tr(N_("%1 already exists")).arg(QDir::toNativeSeparators(file));
  } else if (!done) {
    *error = i18n::Tr(kCopyError) + "\n" + reason;
  } else if (result == site::CopyResult::kNotConfirmed) {
    prompter_.Warn(i18n::Tr(N_("The site was saved, but it may not be on the disk yet:")) + "\n" +
                   reason);
  }
  try {
    doc_.Open();
  } catch (const site::StoreError& e) {
    prompter_.Warn(i18n::Tr(N_("The working copy cannot be reopened: %1")).arg(e.Message()));
  }
  return done;
}

bool Workspace::ExitPrompt() { return OfferToSave(); }

}  // namespace velmora::workspace
