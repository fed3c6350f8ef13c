#include "action/editor.h"

#include <QUndoCommand>
#include <algorithm>

#include "action/handlers.h"
#include "electrical/loop_explain.h"
#include "electrical/recalculation.h"
#include "electrical/site_rows.h"
#include "i18n/messages.h"
#include "i18n/tr.h"
#include "loop/loop_settings.h"
#include "panel/panel_rules.h"
#include "panel/panel_show.h"
#include "site/images.h"
#include "site/store_error.h"

namespace velmora::action {

using i18n::Msg;

// One step of the history: everything one action wrote, in the site and in the catalogue.
class Step : public QUndoCommand {
 public:
  Step(Editor& editor, const QString& text, QString merge_key, site::Journal site,
       site::Journal catalogue)
      : QUndoCommand(text),
        editor_(editor),
        merge_key_(std::move(merge_key)),
        site_(std::move(site)),
        catalogue_(std::move(catalogue)) {}

  // Consecutive edits of one field (keystrokes in a text field, steps of a spin field) are one
  // step.
  int id() const override { return merge_key_.isEmpty() ? -1 : 1; }
  bool mergeWith(const QUndoCommand* other) override {
    const auto* next = static_cast<const Step*>(other);
    if (next->merge_key_ != merge_key_) return false;
    site_.insert(site_.end(), next->site_.begin(), next->site_.end());
    catalogue_.insert(catalogue_.end(), next->catalogue_.begin(), next->catalogue_.end());
    if (next->new_country_code) new_country_code = next->new_country_code;
    results = results || next->results;
    all_panels = all_panels || next->all_panels;
    for (int p : next->panels) {
      if (std::find(panels.begin(), panels.end(), p) == panels.end()) panels.push_back(p);
    }
    return true;
  }
  void undo() override { editor_.ApplyStep(this, false); }
  void redo() override {
    // The step was made by carrying the action out; only a later redo applies it.
    if (made_) {
      made_ = false;
      return;
    }
    editor_.ApplyStep(this, true);
  }

  const site::Journal& SiteJournal() const { return site_; }
  const site::Journal& CatalogueJournal() const { return catalogue_; }
  std::optional<QString> old_country_code;
  std::optional<QString> new_country_code;
  // Whose stored results the step wrote: taking it back or making it again changes the results
  // of these panels only, so only their marks are worked out again.
  bool results = false;
  bool all_panels = false;
  std::vector<int> panels;

 private:
  Editor& editor_;
  QString merge_key_;
  site::Journal site_;
  site::Journal catalogue_;
  bool made_ = true;
};

namespace {

// Whether the rows a journal wrote change what the tree and the tabs show.
bool TouchesStructure(const site::Journal& journal, const site::SiteColumns& c) {
  for (const site::JournalEntry& e : journal) {
    const bool panels = e.table.compare("Panels", Qt::CaseInsensitive) == 0;
    const bool loops = e.table.compare("Loops", Qt::CaseInsensitive) == 0;
    if (!panels && !loops) continue;
    if (e.op != site::JournalEntry::Op::kUpdate) return true;
    for (const auto& [column, value] : e.after) {
      if (panels && (column == c.panels.name || column == c.panels.number)) return true;
      if (loops && (column == c.loops.number || column == c.loops.panel)) return true;
    }
  }
  return false;
}

// The key under which consecutive actions merge into one step; empty for those that do not.
QString MergeKey(const Action& a) {
  static const QStringList kMergeable = {"set-site-field", "set-panel-name",
                                         "set-one-location-distance", "set-spread-distance",
                                         "set-alarm-indicators"};
  if (!kMergeable.contains(a.name)) return QString();
  return a.name + "|" + a.params.value("field").toString() + "|" +
         QString::number(a.params.value("panel").toInt()) + "|" +
         QString::number(a.params.value("loop").toInt());
}

}  // namespace

Editor::Editor(workspace::Workspace& workspace, i18n::Settings settings)
    : workspace_(workspace),
      settings_(settings),
      history_(std::make_unique<QUndoStack>()),
      options_(workspace.Data(), workspace.Prompter(), settings) {
  tree_.SetText(tree_.Root(),
                i18n::Text(Msg::kPanels) + " 0" + " / " + i18n::Text(Msg::kLoops) + " 0");
  connect(&workspace_, &workspace::Workspace::SiteReplaced, this, &Editor::SiteReplaced);
  connect(history_.get(), &QUndoStack::cleanChanged, this, [this] { UpdateSaved(); });
  connect(&workspace_.State(), &site::RunState::CaptionChanged, this, [this] { UpdateSaved(); });
  connect(&workspace_.State(), &site::RunState::TechnicalDetailChanged, this,
          [this] { Present({}); });
}

Editor::~Editor() {
  // The steps refer to this editor; they go first, quietly.
  history_->blockSignals(true);
  history_.reset();
}

void Editor::KeepHistory(bool keep) {
  if (keep == keep_history_) return;
  keep_history_ = keep;
  if (!keep && history_->count() > 0) {
    const bool clean = history_->isClean();
    history_->clear();
    if (!clean) history_->resetClean();
  }
}

void Editor::UpdateSaved() {
  // A site that was never saved to a file holds unsaved work; one that was, whenever the history
  // stands at the saved step.
  workspace_.State().SetSiteSaved(history_->isClean() &&
                                  !workspace_.State().SiteFileName().isEmpty());
}

void Editor::SiteReplaced() {
  history_->clear();
  history_->setClean();
  focus_ = Focus{};
  FillSiteLists(workspace_.Data(), site_form_);
  Change change;
  change.replaced = true;
  Present(change);
  UpdateSaved();
}

void Editor::Refresh() {
  FillSiteLists(workspace_.Data(), site_form_);
  Change change;
  change.replaced = true;
  Present(change);
}

bool Editor::Save() {
  const bool done = workspace_.SaveSite();
  if (done) history_->setClean();
  UpdateSaved();
  return done;
}

bool Editor::SaveAs() {
  const bool done = workspace_.SaveSiteAs();
  if (done) history_->setClean();
  UpdateSaved();
  return done;
}

Result Editor::Execute(const Action& action, site::Prompter& asker) {
  bool unknown = false;
  const QString problem = CheckParameters(action, &unknown);
  if (!problem.isEmpty()) return {Status::kRefused, {problem}};
  if (action.name == u"undo") return Undo();
  if (action.name == u"redo") return Redo();
  if (action.name == u"new-site") {
    if (!workspace_.NewSite()) return {Status::kRefused, {}};
    return {Status::kDone, {}};
  }

  SiteData& data = workspace_.Data();
  site::Database& db = data.doc.Db();
  site::Database& catalogue_db = data.catalogue.DataDb();
  const bool catalogue_open = catalogue_db.IsOpen();
  Context ctx(data, action, asker, settings_, focus_);
  Status status = Status::kRefused;
  electrical::Recalculation recalculation;
  db.Begin();
  if (keep_history_) db.StartJournal({"Currents"});
  if (catalogue_open) {
    catalogue_db.Begin();
    if (keep_history_) catalogue_db.StartJournal();
  }
  try {
    status = RunHandler(ctx);
    if (status == Status::kDone) {
      if (ctx.all || !ctx.panels.empty()) {
        recalculation = electrical::RecalculatePanels(
            data,
            ctx.all ? std::vector<int>{} : std::vector<int>(ctx.panels.begin(), ctx.panels.end()));
      }
      db.Commit();
      if (catalogue_open) catalogue_db.Commit();
    } else {
      db.Rollback();
      if (catalogue_open) catalogue_db.Rollback();
    }
  } catch (const site::StoreError& e) {
    db.Rollback();
    if (catalogue_open) catalogue_db.Rollback();
    status = Status::kRefused;
    ctx.messages << i18n::Tr(N_("The change could not be stored and has been undone.")) + "\n" +
                        e.Message();
  }
  site::Journal site_journal = keep_history_ ? db.TakeJournal() : site::Journal{};
  site::Journal catalogue_journal =
      catalogue_open && keep_history_ ? catalogue_db.TakeJournal() : site::Journal{};
  if (keep_history_ && status == Status::kDone && site_journal.empty() &&
      catalogue_journal.empty() && !ctx.new_country_code)
    status = Status::kUnchanged;

  Change change;
  if (status == Status::kDone) {
    change.structure = TouchesStructure(site_journal, data.Cols());
    change.results = ctx.all || !ctx.panels.empty();
    if (!ctx.all) change.panels.assign(ctx.panels.begin(), ctx.panels.end());
    if (keep_history_) {
      const Definition* definition = FindDefinition(action.name);
      auto* step = new Step(*this, i18n::Tr(definition->step), MergeKey(action),
                            std::move(site_journal), std::move(catalogue_journal));
      step->old_country_code = ctx.old_country_code;
      step->new_country_code = ctx.new_country_code;
      step->results = change.results;
      step->all_panels = ctx.all;
      step->panels = change.panels;
      history_->push(step);
    } else {
      // Without a history the rows are no longer those of any saved step.
      history_->resetClean();
    }
    UpdateSaved();
    focus_ = ctx.focus;

    // The checks speak after the commit: the overload warning once per new state, the power-supply
    // warnings, and the trace of the loop check.
    site::RunState& state = workspace_.State();
    const electrical::LoopResult* logged = nullptr;
    auto speak = [&](const electrical::LoopResult& r) {
      logged = &r;
      if (const QString message = electrical::LoopOverloadWarning(r); !message.isEmpty()) {
        if (message != state.LastLoopStatus()) {
          state.SetLastLoopStatus(message);
          ctx.messages << message;
        }
      } else {
        state.SetLastLoopStatus(r.status);
      }
    };
    if (ctx.checked_loop > 0) {
      if (const electrical::LoopResult* r = recalculation.Loop(ctx.loop_panel, ctx.checked_loop))
        speak(*r);
    } else if (ctx.panel_loops) {
      for (const electrical::LoopResult& r : recalculation.loops) speak(r);
    }
    if (ctx.supply_panel > 0) {
      if (const electrical::PanelResult* p = recalculation.Panel(ctx.supply_panel))
        ctx.messages << electrical::SupplyWarnings(*p);
    }
    if (logged != nullptr) {
      const QString path = workspace_.Folder().LoopLog();
      const QString failure = electrical::WriteLoopLog(
          path, electrical::LoopCheckLog(logged->input, logged->check).Text());
      if (!failure.isEmpty() && !state.LoopLogFailureReported()) {
        state.SetLoopLogFailureReported(true);
        ctx.messages << i18n::Tr(N_("The loop log %1 cannot be written: %2")).arg(path, failure);
      }
    }
  }
  // The marks take the results the action has just written instead of working them out again.
  fresh_results_ = status == Status::kDone ? &recalculation : nullptr;
  Present(change);
  fresh_results_ = nullptr;
  return {status, ctx.messages};
}

Result Editor::Perform(const Action& action) {
  const Result result = Execute(action);
  if (!result.messages.isEmpty()) workspace_.Prompter().Warn(result.messages.join("\n\n"));
  return result;
}

bool Editor::ApplyStep(Step* step, bool forward) {
  SiteData& data = workspace_.Data();
  site::Database& db = data.doc.Db();
  site::Database& catalogue_db = data.catalogue.DataDb();
  try {
    site::Transaction site_transaction(&db);
    db.ApplyJournal(step->SiteJournal(), forward);
    if (!step->CatalogueJournal().empty()) {
      site::Transaction catalogue_transaction(&catalogue_db);
      catalogue_db.ApplyJournal(step->CatalogueJournal(), forward);
      catalogue_transaction.Commit();
    }
    site_transaction.Commit();
  } catch (const site::StoreError& e) {
    step_failure_ = e.Message();
    return false;
  }
  const std::optional<QString>& code = forward ? step->new_country_code : step->old_country_code;
  if (code) settings_.WriteCountryCode(*code);
  Change change;
  change.structure = TouchesStructure(step->SiteJournal(), data.Cols());
  change.results = step->results;
  if (!step->all_panels) change.panels = step->panels;
  Present(change);
  return true;
}

void Editor::ForgetHistory(bool rows_saved) {
  history_->clear();
  if (!rows_saved) history_->resetClean();
  UpdateSaved();
  Refresh();
}

Result Editor::Undo() {
  if (!history_->canUndo()) return {Status::kUnchanged, {}};
  step_failure_.clear();
  const bool was_clean = history_->isClean();
  history_->undo();
  if (!step_failure_.isEmpty()) {
    // The rows are as they were before the attempt; a history that no longer matches them
    // cannot be kept. Rows that were not the saved ones stay unsaved.
    ForgetHistory(was_clean);
    return {Status::kRefused,
            {i18n::Tr(N_("The step could not be taken back; the history has been cleared.")) +
             "\n" + step_failure_}};
  }
  return {Status::kDone, {}};
}

Result Editor::Redo() {
  if (!history_->canRedo()) return {Status::kUnchanged, {}};
  step_failure_.clear();
  const bool was_clean = history_->isClean();
  history_->redo();
  if (!step_failure_.isEmpty()) {
    ForgetHistory(was_clean);
    return {Status::kRefused,
            {i18n::Tr(N_("The step could not be made again; the history has been cleared.")) +
             "\n" + step_failure_}};
  }
  return {Status::kDone, {}};
}

Result Editor::Show(const Focus& focus) {
  focus_ = focus;
  Result result;
  if (focus.view == site::DetailView::kPanel && focus.panel > 0 &&
      !panel::FitsCatalogue(workspace_.Data(), focus.panel)) {
    result = Execute(Action::Make("fit-panel", {{"panel", focus.panel}}));
  }
  if (result.status != Status::kDone) Present({});
  return result;
}

Focus Editor::FocusOf(const site::TreeNode* node) const {
  if (node == nullptr || node->parent == nullptr) return Focus{};
  if (node->Level() == 1) return Focus{site::DetailView::kPanel, node->number, 0};
  const int panel = node->parent->number;
  if (node->number == 0) return Focus{site::DetailView::kOutputs, panel, 0};
  return Focus{site::DetailView::kDevices, panel, node->number};
}

void Editor::SyncTree() {
  SiteData& data = workspace_.Data();
  site::Database& db = data.doc.Db();
  const site::SiteColumns& c = data.Cols();
  std::vector<site::TreePanel> panels;
  QStringList captions;
  QHash<qint64, int> index_of;
  for (const site::Row& row : db.Select("Panels", {}, "Panel Number")) {
    site::TreePanel panel;
    panel.name = electrical::TextAt(row, c.panels.name);
    index_of.insert(electrical::IntAt(row, c.panels.number), int(panels.size()));
    captions << panel.name;
    panels.push_back(panel);
  }
  qint64 loop_count = 0;
  for (const site::Row& row : db.Select("Loops", {}, "LoopNumber")) {
    ++loop_count;
    const auto it = index_of.constFind(electrical::IntAt(row, c.loops.panel));
    if (it == index_of.cend()) continue;
    panels[it.value()].loops.push_back(int(electrical::IntAt(row, c.loops.number)));
  }
  tree_.SetPanels(panels);
  tree_.SetText(tree_.Root(), i18n::Text(Msg::kPanels) + " " + QString::number(panels.size()) +
                                  " / " + i18n::Text(Msg::kLoops) + " " +
                                  QString::number(loop_count));
  tabs_.SetPanelCaptions(captions, site::kImagePanel);
  UpdateMarks({});
}

void Editor::UpdateMarks(const std::vector<int>& which) {
  // How each loop and panel stands (fine, near a limit, overloaded), from the results as the rows
  // give them; only the panels whose results changed are worked out again.
  const auto covered = [&](const electrical::Recalculation* results) {
    if (results == nullptr) return false;
    if (which.empty()) return int(results->panels.size()) == tree_.PanelCount();
    for (int p : which) {
      if (results->Panel(p) == nullptr) return false;
    }
    return true;
  };
  electrical::Recalculation computed;
  if (!covered(fresh_results_)) {
    try {
      computed = electrical::RecalculatePanels(workspace_.Data(), which, false);
    } catch (const site::StoreError&) {
      return;  // the marks are only a view; the next change sets them again
    }
  }
  const electrical::Recalculation& found = covered(fresh_results_) ? *fresh_results_ : computed;
  for (const electrical::PanelResult& panel : found.panels) {
    site::TreeNode* node = tree_.PanelNode(panel.panel);
    if (node == nullptr) continue;
    node->mark = int(electrical::PanelStanding(found, panel.panel));
    for (int i = 0; i + 1 < node->ChildCount(); ++i) {
      site::TreeNode* loop = node->Child(i);
      const electrical::LoopResult* result = found.Loop(panel.panel, loop->number);
      loop->mark = result != nullptr ? int(electrical::StandingOf(*result)) : 0;
    }
  }
}

void Editor::Present(const Change& change) {
  SiteData& data = workspace_.Data();
  if (!data.doc.IsOpen()) return;
  if (change.replaced || change.structure)
    SyncTree();
  else if (change.results)
    UpdateMarks(change.panels);

  // The focus points at something that exists.
  site::Database& db = data.doc.Db();
  if (focus_.panel > 0 && db.Count("Panels", electrical::PanelKey(focus_.panel)) == 0)
    focus_ = Focus{};
  if (focus_.view == site::DetailView::kDevices &&
      db.Count("Loops", electrical::LoopKey(focus_.panel, focus_.loop)) == 0)
    focus_ = Focus{site::DetailView::kPanel, focus_.panel, 0};
  if (focus_.view == site::DetailView::kSite || focus_.view == site::DetailView::kNone)
    focus_ = Focus{};

  tabs_.SetActive(focus_.panel);
  site::TreeNode* node = tree_.Root();
  if (site::TreeNode* panel = tree_.PanelNode(focus_.panel)) {
    node = panel;
    if (focus_.view == site::DetailView::kOutputs) {
      node = panel->LastChild();
    } else if (focus_.view == site::DetailView::kDevices) {
      for (int i = 0; i + 1 < panel->ChildCount(); ++i) {
        if (panel->Child(i)->number == focus_.loop) node = panel->Child(i);
      }
    }
  }
  if (tree_.Selected() != node) tree_.Select(node);

  switch (focus_.view) {
    case site::DetailView::kPanel:
      panel::RenderPanelForm(data, focus_.panel, panel_form_);
      panel_form_.SetPanel(focus_.panel);
      panel_form_.NotifyChanged();
      break;
    case site::DetailView::kDevices:
      loop::RenderLoopForm(data, focus_.panel, focus_.loop, loop_form_);
      loop_form_.Touch();
      break;
    default:
      break;
  }
  workspace::RenderSiteForm(data, site_form_);
  site_form_.NotifyChanged();
  // The site view coming on show with its times chosen hands the keyboard to the tree; typing in
  // it does not.
  const bool site_shown = focus_.view == site::DetailView::kSite &&
                          (views_.Current() != site::DetailView::kSite || change.replaced);
  if (views_.Current() != focus_.view) views_.Show(focus_.view);
  if (site_shown && site_form_.AlarmTimes().selected >= 0) emit site_form_.FocusTree();

  // The current lines of what is on show; a scratch table, rebuilt every time and not part of
  // the history.
  electrical::LineSet lines = electrical::LineSet::kNone;
  if (focus_.view == site::DetailView::kPanel) lines = electrical::LineSet::kPanel;
  if (focus_.view == site::DetailView::kDevices) lines = electrical::LineSet::kLoops;
  if (focus_.view == site::DetailView::kOutputs) lines = electrical::LineSet::kOutputs;
  try {
    site::Transaction transaction(&db);
    const electrical::PanelResult* known =
        fresh_results_ != nullptr ? fresh_results_->Panel(focus_.panel) : nullptr;
    electrical::WriteCurrentLines(data, focus_.panel, lines, workspace_.State().TechnicalDetail(),
                                  known);
    transaction.Commit();
  } catch (const site::StoreError&) {
    // The lines are only a view; the next change writes them again.
  }
  const QString site_name = site_form_.FieldText("SiteName");
  tree_.SetWindowCaption(site_name.isEmpty() ? i18n::Text(Msg::kSite) + ":"
                                             : i18n::Text(Msg::kSite) + " : " + site_name);
  emit Changed(change);
}

}  // namespace velmora::action
