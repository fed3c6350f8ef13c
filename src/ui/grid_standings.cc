#include "ui/grid_standings.h"

#include "action/editor.h"
#include "electrical/loop_explain.h"
#include "electrical/recalculation.h"
#include "electrical/site_rows.h"
#include "i18n/messages.h"
#include "i18n/tr.h"
#include "site/site_tree_model.h"
#include "site/store_error.h"

namespace velmora::ui {
namespace {

using electrical::IntAt;
using electrical::Standing;

// Current line types (Currents.CurrentType) that stand for something with limits.
constexpr qint64 kLoopLine = 2;
constexpr qint64 kTotalLine = 10;

// The results of one panel as its rows give them; nothing when they cannot be read.
electrical::Recalculation ResultsOf(action::Editor& editor, int panel) {
  try {
    if (panel > 0 && editor.Work().Data().doc.IsOpen())
      return electrical::RecalculatePanels(editor.Work().Data(), {panel}, false);
  } catch (const site::StoreError&) {
  }
  return {};
}

// The loops of a panel in the order of its current lines, which is the order of its rows.
std::vector<const electrical::LoopResult*> LoopsOf(const electrical::Recalculation& found,
                                                   int panel) {
  std::vector<const electrical::LoopResult*> loops;
  for (const electrical::LoopResult& loop : found.loops) {
    if (loop.panel == panel) loops.push_back(&loop);
  }
  return loops;
}

QString LoopStatus(const electrical::LoopResult& loop, Standing standing) {
  QString status = loop.status;
  if (standing == Standing::kNearLimit) status += ", " + i18n::Tr(N_("near the limit"));
  return status;
}

// The line of each current row that stands for a loop: its position among the loop lines.
int LoopLineIndex(const std::vector<site::Row>& rows, int row, int type_column) {
  int index = 0;
  for (int i = 0; i < row; ++i) {
    if (IntAt(rows[i], type_column) == kLoopLine) ++index;
  }
  return index;
}

}  // namespace

ReadOnlyGridModel::Standings PanelStandings(action::Editor& editor) {
  return [&editor](const std::vector<site::Row>& rows) {
    // The tree's marks are brought up to date for the panels that changed before the grids are;
    // working every panel out again here would cost a whole site's recalculation per edit.
    const int number = editor.Work().Doc().Cols().panels.number;
    std::vector<int> standings;
    standings.reserve(rows.size());
    for (const site::Row& row : rows) {
      const site::TreeNode* node = editor.Tree().PanelNode(int(IntAt(row, number)));
      standings.push_back(node != nullptr ? node->mark : 0);
    }
    return standings;
  };
}

ReadOnlyGridModel::Hint PanelHint(action::Editor& editor) {
  return [&editor](const std::vector<site::Row>& rows, int row) {
    const int panel = int(IntAt(rows.at(row), editor.Work().Doc().Cols().panels.number));
    const electrical::Recalculation found = ResultsOf(editor, panel);
    QStringList lines;
    for (const electrical::LoopResult* loop : LoopsOf(found, panel)) {
      const Standing standing = electrical::StandingOf(*loop);
      if (standing == Standing::kOk) continue;
      lines << i18n::Text(i18n::Msg::kLoop) + " " + QString::number(loop->loop) + ": " +
                   LoopStatus(*loop, standing);
      for (const QString& line : electrical::LoopExplanation(*loop)) lines << "    " + line;
    }
    if (const electrical::PanelResult* result = found.Panel(panel))
      lines << electrical::SupplyExplanation(*result);
    return lines.join('\n');
  };
}

ReadOnlyGridModel::Standings CurrentLineStandings(action::Editor& editor) {
  return [&editor](const std::vector<site::Row>& rows) {
    std::vector<int> standings(rows.size(), 0);
    if (rows.empty()) return standings;
    const site::CurrentColumns& k = editor.Work().Doc().Cols().currents;
    const int panel = int(IntAt(rows.front(), k.panel));
    const electrical::Recalculation found = ResultsOf(editor, panel);
    const std::vector<const electrical::LoopResult*> loops = LoopsOf(found, panel);
    std::size_t next_loop = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
      const qint64 type = IntAt(rows[i], k.type);
      if (type == kLoopLine && next_loop < loops.size()) {
        standings[i] = int(electrical::StandingOf(*loops[next_loop++]));
      } else if (type == kTotalLine && found.Panel(panel) != nullptr) {
        standings[i] = int(electrical::SupplyStanding(*found.Panel(panel)));
      }
    }
    return standings;
  };
}

ReadOnlyGridModel::Hint CurrentLineHint(action::Editor& editor) {
  return [&editor](const std::vector<site::Row>& rows, int row) {
    const site::CurrentColumns& k = editor.Work().Doc().Cols().currents;
    const qint64 type = IntAt(rows.at(row), k.type);
    if (type != kLoopLine && type != kTotalLine) return QString();
    const int panel = int(IntAt(rows.at(row), k.panel));
    const electrical::Recalculation found = ResultsOf(editor, panel);
    if (type == kTotalLine) {
      const electrical::PanelResult* result = found.Panel(panel);
      return result != nullptr ? electrical::SupplyExplanation(*result).join('\n') : QString();
    }
    const std::vector<const electrical::LoopResult*> loops = LoopsOf(found, panel);
    const int index = LoopLineIndex(rows, row, k.type);
    if (index >= int(loops.size())) return QString();
    const electrical::LoopResult& loop = *loops[index];
    const electrical::LoopHeadroom headroom = HeadroomOf(loop.input, loop.check);
    QStringList lines{LoopStatus(loop, electrical::StandingOf(loop.check, headroom))};
    lines << electrical::LoopExplanation(loop);
    lines << electrical::HeadroomText(loop.input, headroom);
    return lines.join('\n');
  };
}

}  // namespace velmora::ui
