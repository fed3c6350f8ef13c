#pragma once

#include <QHash>
#include <QTreeWidget>
#include <QWidget>
#include <utility>

class QAction;
class QLabel;
class QMenu;
class QToolBar;

namespace velmora::site {
struct TreeNode;
}
namespace velmora::action {
class Editor;
}

namespace velmora::ui {

// TFormTreeView: the site tree window docked in the left area of the main window. It renders the
// editor's site tree model and forwards the user's acts: a node chosen with the mouse or the
// keyboard shows what it stands for, a mouse press of any button selects the node under the mouse
// first, the toolbar and the context menu run the panel actions and the expand/collapse
// commands. The window cannot be closed.
class TFormTreeView : public QWidget {
  Q_OBJECT

 public:
  explicit TFormTreeView(action::Editor& editor, QWidget* parent = nullptr);

  QTreeWidget* Tree() const { return tree_; }
  QAction* AddPanelAction() const { return add_panel_; }
  QAction* DuplicatePanelAction() const { return duplicate_panel_; }
  QAction* CopyDevicesAction() const { return copy_devices_; }
  QAction* PasteDevicesAction() const { return paste_devices_; }
  // The item showing a node, or nullptr.
  QTreeWidgetItem* ItemOf(const site::TreeNode* node) const { return items_.value(node); }

  // Gives the keyboard focus to the tree.
  void FocusTree();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QAction* MakeCommand(const char* name, int image);
  void BuildToolBar();
  void BuildContextMenu();
  void UpdateMenu();
  void Rebuild();
  void AddItems(QTreeWidgetItem* item, const site::TreeNode* node);
  // Shows the marks of the nodes: overloaded and near the limit (a word and a colour).
  void ShowMarks();
  void ApplyExpansion();
  void ShowSelection();
  void ShowCaption(const QString& caption);
  site::TreeNode* NodeOf(QTreeWidgetItem* item) const;
  void OnCurrentItemChanged(QTreeWidgetItem* current);
  void OnItemClicked(QTreeWidgetItem* item);
  void RunClickReaction();
  // The panel of the selected node (a loop or outputs node stands for its panel); 0 for none.
  int SelectedPanel() const;

  action::Editor& editor_;
  QLabel* caption_ = nullptr;
  QToolBar* toolbar_ = nullptr;
  QTreeWidget* tree_ = nullptr;
  QMenu* popup_ = nullptr;
  QAction* add_panel_ = nullptr;
  QAction* delete_panel_ = nullptr;
  QAction* duplicate_panel_ = nullptr;
  QAction* copy_devices_ = nullptr;
  QAction* paste_devices_ = nullptr;
  std::pair<int, int> copied_loop_{0, 0};  // panel and loop whose devices were copied
  QHash<const site::TreeNode*, QTreeWidgetItem*> items_;
  bool syncing_ = false;         // the widget is being updated from the model
  bool pressed_select_ = false;  // the last press chose a new node (its click is not repeated)
  bool reacting_ = false;
  bool rebuild_pending_ = false;
};

}  // namespace velmora::ui
