#include "site/site_tree_model.h"

#include <functional>

#include "i18n/messages.h"
#include "site/images.h"

namespace velmora::site {

int TreeNode::Level() const {
  int level = 0;
  for (const TreeNode* n = parent; n != nullptr; n = n->parent) ++level;
  return level;
}

int TreeNode::Index() const {
  if (parent == nullptr) return 0;
  for (int i = 0; i < parent->ChildCount(); ++i) {
    if (parent->Child(i) == this) return i;
  }
  return -1;
}

SiteTreeModel::SiteTreeModel() : root_(std::make_unique<TreeNode>()) {
  root_->image = kImageRoot;
  selected_ = root_.get();
  window_caption_ = i18n::Text(i18n::Msg::kSite) + ":";
}

void SiteTreeModel::Select(TreeNode* node) {
  selected_ = node != nullptr ? node : root_.get();
  emit SelectionChanged(selected_);
}

TreeNode* SiteTreeModel::AddChild(TreeNode* parent, const QString& text, int image) {
  return InsertChild(parent, parent->ChildCount(), text, image);
}

TreeNode* SiteTreeModel::InsertChild(TreeNode* parent, int index, const QString& text, int image) {
  auto node = std::make_unique<TreeNode>();
  node->text = text;
  node->image = image;
  node->parent = parent;
  TreeNode* raw = node.get();
  index = std::clamp(index, 0, parent->ChildCount());
  parent->children.insert(parent->children.begin() + index, std::move(node));
  emit StructureChanged();
  return raw;
}

void SiteTreeModel::Remove(TreeNode* node) {
  if (node == nullptr || node == root_.get()) return;
  for (const TreeNode* n = selected_; n != nullptr; n = n->parent) {
    if (n == node) {
      selected_ = node->parent;
      break;
    }
  }
  auto& siblings = node->parent->children;
  for (auto it = siblings.begin(); it != siblings.end(); ++it) {
    if (it->get() == node) {
      siblings.erase(it);
      break;
    }
  }
  emit StructureChanged();
}

void SiteTreeModel::SetText(TreeNode* node, const QString& text) {
  if (node == nullptr) return;
  node->text = text;
  emit NodeTextChanged(node);
}

void SiteTreeModel::SetExpanded(TreeNode* node, bool expanded) {
  if (node == nullptr || node->expanded == expanded) return;
  node->expanded = expanded;
  emit ExpansionChanged();
}

TreeNode* SiteTreeModel::PanelNode(int p) const {
  if (p < 1 || p > root_->ChildCount()) return nullptr;
  return root_->Child(p - 1);
}

TreeSelection SiteTreeModel::ResolveTreeSelection() const {
  // Walk the nodes in display order, counting panel nodes from the top and the level-2 nodes
  // within each panel, and note the counts at the selected node.
  TreeSelection result;
  int panel_count = 0;
  for (int p = 0; p < root_->ChildCount(); ++p) {
    const TreeNode* panel = root_->Child(p);
    ++panel_count;
    if (panel == selected_) {
      result.panel = panel_count;
      return result;
    }
    for (int c = 0; c < panel->ChildCount(); ++c) {
      if (panel->Child(c) == selected_) {
        result.panel = panel_count;
        result.loop = c + 1;
        result.outputs_selected = result.loop > 0 && result.loop == panel->ChildCount();
        return result;
      }
    }
  }
  result.root_selected = selected_ == root_.get();
  return result;
}

void SiteTreeModel::Clear() {
  while (root_->ChildCount() > 0) root_->children.pop_back();
  selected_ = root_.get();
  emit StructureChanged();
  emit SelectionChanged(selected_);
}

namespace {
void ForEach(TreeNode* node, const std::function<void(TreeNode*)>& visit) {
  visit(node);
  for (auto& child : node->children) ForEach(child.get(), visit);
}
}  // namespace

void SiteTreeModel::ExpandAll() {
  ForEach(root_.get(), [](TreeNode* n) { n->expanded = true; });
  emit ExpansionChanged();
}

void SiteTreeModel::CollapseAll() {
  ForEach(root_.get(), [](TreeNode* n) { n->expanded = false; });
  emit ExpansionChanged();
}

void SiteTreeModel::ExpandPanelDetails() {
  root_->expanded = true;
  for (auto& panel : root_->children) panel->expanded = true;
  emit ExpansionChanged();
}

void SiteTreeModel::CollapsePanelDetails() {
  root_->expanded = true;
  for (auto& panel : root_->children) panel->expanded = false;
  emit ExpansionChanged();
}

void SiteTreeModel::SetWindowCaption(const QString& caption) {
  window_caption_ = caption;
  emit WindowCaptionChanged(caption);
}

void SiteTreeModel::ExpandPanels() {
  root_->expanded = true;
  emit ExpansionChanged();
}

}  // namespace velmora::site
