#pragma once

#include <QObject>
#include <QString>
#include <memory>
#include <vector>

namespace velmora::site {

struct TreeNode {
  QString text;
  int image = 0;
  bool expanded = false;
  // The panel's number for a panel node, the loop's number for a loop node; 0 for the root and
  // the outputs nodes.
  int number = 0;
  // How the node's loop or panel stands: 0 fine, 1 near a limit, 2 overloaded.
  int mark = 0;
  TreeNode* parent = nullptr;
  std::vector<std::unique_ptr<TreeNode>> children;

  int Level() const;  // 0 root, 1 panel, 2 loop or outputs
  int Index() const;  // position among its parent's children, 0-based
  int ChildCount() const { return int(children.size()); }
  TreeNode* Child(int i) const { return children.at(i).get(); }
  TreeNode* LastChild() const { return children.empty() ? nullptr : children.back().get(); }
};

// One panel of the site as the tree shows it: its name, its loops' numbers and how each stands.
struct TreePanel {
  QString name;
  std::vector<int> loops;
  std::vector<int> loop_marks;  // as TreeNode::mark, per loop
  int mark = 0;
};

// The site tree as the program sees it: one root, a node per panel, a node per loop and the
// outputs node of each panel. Widgets render it and forward clicks; every rule works on it.
class SiteTreeModel : public QObject {
  Q_OBJECT

 public:
  SiteTreeModel();

  TreeNode* Root() const { return root_.get(); }
  TreeNode* Selected() const { return selected_; }
  void Select(TreeNode* node);

  TreeNode* AddChild(TreeNode* parent, const QString& text, int image);
  TreeNode* InsertChild(TreeNode* parent, int index, const QString& text, int image);
  void Remove(TreeNode* node);  // the node with its subtree; the root is never removed
  void SetText(TreeNode* node, const QString& text);
  void SetExpanded(TreeNode* node, bool expanded);

  // The panel node of panel ordinal p (1-based), or nullptr.
  TreeNode* PanelNode(int p) const;
  int PanelCount() const { return root_->ChildCount(); }

  // Deletes every node below the root, the last first; the root text is set by the caller.
  void Clear();
  // The panels of the site below the root, each with its loop nodes and its outputs node, in one
  // step. Panel nodes keep their expansion by position; the selection is the caller's to set.
  void SetPanels(const std::vector<TreePanel>& panels);

  void ExpandAll();
  void CollapseAll();
  void ExpandPanelDetails();
  void CollapsePanelDetails();
  void ExpandPanels();  // the root only, one level

  // The caption of the tree window: "Site:" at first, "Site : <name>" once a site is named.
  const QString& WindowCaption() const { return window_caption_; }
  void SetWindowCaption(const QString& caption);

 signals:
  void StructureChanged();
  void NodeTextChanged(velmora::site::TreeNode* node);
  void SelectionChanged(velmora::site::TreeNode* node);
  void ExpansionChanged();
  void WindowCaptionChanged(const QString& caption);

 private:
  std::unique_ptr<TreeNode> root_;
  TreeNode* selected_ = nullptr;
  QString window_caption_;
};

}  // namespace velmora::site
