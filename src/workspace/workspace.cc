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
#include "loop/output_editor.h"
#include "panel/panel_lifecycle.h"
#include "site/file_copy.h"
#include "site/site_saver.h"
#include "site/store_error.h"
#include "site/untrusted_open.h"

namespace velmora::workspace {

using i18n::Msg;
using site::FlagScope;
using site::RunState;

namespace {

const char* const kBlankSiteColumns[] = {
    "SiteName",       "ContactName", "AddressLine1", "AddressLine2", "City",
    "State/Province", "PostalCode",  "Country",      "Phone",        "Fax",
    "Email",          "Comment",     "SalesChannel"};

constexpr i18n::Source kCopyError = N_("Copy error");

}  // namespace

Workspace::Workspace(const site::ProgramFolder& folder, site::Prompter& prompter)
    : folder_(folder),
      prompter_(prompter),
      doc_(folder),
      catalogue_(folder),
      run_{folder_, doc_, catalogue_, state_, tree_, tabs_, views_, prompter_},
      tree_reactions_(run_, panel_form_),
      loop_settings_(run_, loop_form_),
      device_rows_(run_, loop_form_) {
  tree_.SetText(tree_.Root(), RootCaptionWithZeroCounts());
  tree_reactions_.SetLoopLoader(
      [this](Run&, int panel, int loop) { loop_settings_.LoadLoopIntoView(panel, loop); });
  // The reactions to written columns of Devices, Outputs and DefaultPanel; each handler checks
  // the event flags and the selection itself, so the program's own writes pass through quietly.
  doc_.Db().SetChangeListener([this](const QString& table, const QString& column) {
    device_rows_.OnStoreChange(table, column);
    loop::OnOutputStoreChange(run_, table, column);
  });
  catalogue_.DataDb().SetChangeListener([this](const QString& table, const QString& column) {
    loop::OnOutputStoreChange(run_, table, column);
  });
}

Workspace::~Workspace() = default;

QString Workspace::RootCaptionWithZeroCounts() {
  return i18n::Text(Msg::kPanels) + " 0" + " / " + i18n::Text(Msg::kLoops) + " 0";
}

void Workspace::OpenTables() {
  auto make_working_copy = [this] {
    QString error;
    if (site::CopyWholeFile(folder_.Template(), folder_.WorkingCopy(), true, &error) !=
        site::CopyResult::kOk)
      throw site::StoreError(i18n::Tr(N_("Cannot make the working copy: %1")).arg(error));
  };
  if (!QFileInfo::exists(folder_.WorkingCopy())) make_working_copy();
  // The catalogue first (its upgrades run as its tables open), then the working copy with the
  // schema step of older documents, then the defaults and the device catalogue.
  catalogue_.OpenPanelSpec();
  catalogue_.OpenTranslation();
  try {
    doc_.Open();
  } catch (const site::StoreError&) {
    // What the working copy held is thrown away when the session starts in any case, and it is
    // written without waiting for the disk: one that a crash of the machine left damaged is made
    // again from the template.
    doc_.Release(site::SiteDocument::ReleaseOrder::kReplace);
    for (const char* suffix : {"-journal", "-wal", "-shm"})
      QFile::remove(folder_.WorkingCopy() + suffix);
    make_working_copy();
    doc_.Open();
  }
  catalogue_.OpenDefaultPanel();
  catalogue_.OpenDeviceCatalogue();
}

void Workspace::StartSession() {
  ResetWorkingCopy();
  WriteSiteDefaults();
  ApplyDefaultSiteTimes();
  ShowSiteView();
  state_.SetDeviceEventsOn(true);
  state_.SetViewEventsOn(true);
}

bool Workspace::ReplaceWorkingCopy(const QString& source, QString* error) {
  // The source is copied next to the working copy and checked there first, so a file that
  // cannot serve never replaces the site being worked on.
  const QString staged = folder_.Path("DBs/Site.mdb.incoming");
  QFile::remove(staged);
  const QString problem =
      site::StageSiteFile(source, staged, {.layout_reference = folder_.Template()});
  if (!problem.isEmpty()) {
    *error = problem;
    return false;
  }
  FlagScope loading(&state_, &RunState::SetLoading, &RunState::Loading, true);
  doc_.Release(site::SiteDocument::ReleaseOrder::kReplace);
  const QByteArray from = QFile::encodeName(staged);
  const QByteArray to = QFile::encodeName(folder_.WorkingCopy());
  for (const char* suffix : {"-journal", "-wal", "-shm"})
    QFile::remove(folder_.WorkingCopy() + suffix);
  bool ok = ::rename(from.constData(), to.constData()) == 0;
  if (!ok) {
    *error = "the working copy cannot be replaced";
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

void Workspace::WriteSiteDefaults() {
  site::Table& site = doc_.Site();
  site.First();
  if (site.IsEmpty()) {
    site.Append();
  } else {
    site.Edit();
  }
  for (const char* column : kBlankSiteColumns) site.SetValue(column, " ");
  site.SetValue("SiteDate", QDate::currentDate());
  site.SetValue("StandbyTime", 0.0);
  site.SetValue("AlarmTime", 0.0);
  site.Post();
}

void Workspace::ApplyDefaultSiteTimes() {
  site::Table& defaults = catalogue_.DefaultPanel();
  defaults.First();
  if (defaults.IsEmpty()) return;
  site::Table& site = doc_.Site();
  site.First();
  if (site.IsEmpty()) return;
  site.SetValue("StandbyTime", defaults.Value("StandbyTime"));
  site.SetValue("AlarmTime", defaults.Value("AlarmTime"));
  site.SetValue("SalesChannel", defaults.Value("SalesChannel"));
  site.Post();
}

void Workspace::EmptySiteTree() {
  tree_.Clear();
  tree_.SetText(tree_.Root(), RootCaptionWithZeroCounts());
}

void Workspace::ShowSiteView() { workspace::ShowSiteView(run_); }

void Workspace::NewSite() {
  views_.HideAll();
  if (!ResetWorkingCopy()) return;
  WriteSiteDefaults();
  EmptySiteTree();
  tabs_.RemovePanelTabs();
  ApplyDefaultSiteTimes();
  catalogue_.FilterPanelSpec(doc_.Site().Text("SalesChannel"));
  ShowSiteView();
  emit SiteReplaced();
}

bool Workspace::OpenSite() {
  std::optional<QString> file;
  {
    FlagScope loading(&state_, &RunState::SetLoading, &RunState::Loading, true);
    site::Prompter::FileDialog dialog;
    dialog.folder = folder_.SitesFolder();
    dialog.filters = {i18n::Tr(N_("Database file (*.mdb)")), i18n::Tr(N_("All files (*.*)"))};
    dialog.default_suffix = "mdb";
    file = prompter_.ChooseOpenFile(dialog);
  }
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
    FlagScope loading(&state_, &RunState::SetLoading, &RunState::Loading, true);
    tabs_.RemovePanelTabs();
    EmptySiteTree();
    RefreshStoredTexts();
    catalogue_.FilterPanelSpec(doc_.Site().Text("SalesChannel"));
    panel::RebuildPanelsFromStoredRows(run_);
    ShowSiteView();
  } catch (const site::StoreError& e) {
    // The check let the file through but it still cannot be worked with: it is not kept as
    // the site on show, and the program carries on with a blank one.
    prompter_.Warn(i18n::Tr(N_("The site file %1 cannot be opened: %2"))
                       .arg(QDir::toNativeSeparators(file), e.Message()));
    NewSite();
    return false;
  }
  state_.SetSiteFileName(QFileInfo(file).absoluteFilePath());
  tree_.SetWindowCaption(i18n::Text(Msg::kSite) + " : " + doc_.Site().Text("SiteName"));
  emit SiteReplaced();
  return true;
}

void Workspace::RefreshStoredTexts() {
  // Every row of three tables is visited: they are read once through keyed row sets, each text is
  // looked up once, and only the rows whose text changes are written.
  using electrical::IntAt;
  using electrical::TextAt;
  site::Database& db = doc_.Db();
  site::Transaction transaction(&db);
  site::Table& lookup = catalogue_.Translation();
  {
    electrical::RowSet devices(db, "Devices");
    const int c_code = devices.Col("DeviceTypeCode");
    const int c_text = devices.Col("DeviceTypeText");
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
    const int c_number = outputs.Col("OutputNumber");
    const int c_name = outputs.Col("Output");
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
    const int c_number = loops.Col("LoopNumber");
    const int c_name = loops.Col("Loop");
    const int c_ok = loops.Col("OK");
    const int c_flag = loops.Col("OKBoolean");
    const bool has_ok_boolean = doc_.LoopsHaveOkBoolean();
    const QString loop_word = i18n::Text(Msg::kLoop) + " ";
    for (site::Row& row : loops.Rows()) {
      electrical::RowEdit edit(loops, row);
      edit.Set(c_name, loop_word + QString::number(IntAt(row, c_number)));
      if (has_ok_boolean) {
        edit.Set(c_ok,
                 i18n::Text(electrical::BoolAt(row, c_flag) ? Msg::kLoopOk : Msg::kLoopOverload));
      }
      edit.Store();
    }
  }
  electrical::RecalculateOpenedSite(run_);
  site::Table& site = doc_.Site();
  site.First();
  if (!site.IsEmpty() && site.Text("SalesChannel") == "Halvo") {
    site.SetValue("SalesChannel", "Tarvik");
    site.Post();
  }
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

bool Workspace::SaveSite() {
  FlagScope loading(&state_, &RunState::SetLoading, &RunState::Loading, true);
  doc_.Release(site::SiteDocument::ReleaseOrder::kSave);
  bool done = false;
  QString error;
  if (!state_.SiteFileName().isEmpty() && state_.SiteSaved()) {
    if (site::SaveWorkingCopy(doc_.WorkingCopy(), state_.SiteFileName(), true, &error) ==
        site::CopyResult::kOk) {
      done = true;
    } else {
      // The old file stays as it was, and the site is no longer known to be saved.
      prompter_.Warn(i18n::Tr(kCopyError) + "\n" + error);
      state_.SetSiteSaved(false);
    }
  } else if (std::optional<QString> chosen = prompter_.ChooseSaveFile(SaveDialog())) {
    state_.SetSiteFileName(QFileInfo(*chosen).absoluteFilePath());
    const site::CopyResult first =
        site::SaveWorkingCopy(doc_.WorkingCopy(), state_.SiteFileName(), false, &error);
    if (first == site::CopyResult::kOk) {
      done = true;
    } else if (first == site::CopyResult::kTargetExists) {
      if (prompter_.AskYesNo(i18n::Text(Msg::kFilenameExists), site::Prompter::Icon::kWarning)) {
        if (site::SaveWorkingCopy(doc_.WorkingCopy(), state_.SiteFileName(), true, &error) ==
            site::CopyResult::kOk) {
          done = true;
        } else {
          prompter_.Warn(i18n::Tr(kCopyError) + "\n" + error);
        }
      }
    } else {
      prompter_.Warn(i18n::Tr(kCopyError) + "\n" + error);
    }
    if (done) state_.SetSiteSaved(true);
  }
  try {
    doc_.Open();
  } catch (const site::StoreError& e) {
    prompter_.Warn(i18n::Tr(N_("The working copy cannot be reopened: %1")).arg(e.Message()));
  }
  return done;
}

bool Workspace::SaveSiteAs() {
  const bool was_saved = state_.SiteSaved();
  state_.SetSiteSaved(false);
  const bool done = SaveSite();
  if (!done) state_.SetSiteSaved(was_saved);
  return done;
}

void Workspace::ExitPrompt() {
  if (state_.SiteSaved()) return;
  while (prompter_.AskYesNo(i18n::Text(Msg::kDataNotSaved), site::Prompter::Icon::kQuestion)) {
    if (SaveSite()) return;
  }
}

}  // namespace velmora::workspace
