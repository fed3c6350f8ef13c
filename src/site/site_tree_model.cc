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

void SiteTreeModel::Clear() {
  while (root_->ChildCount() > 0) root_->children.pop_back();
  selected_ = root_.get();
  emit StructureChanged();
  emit SelectionChanged(selected_);
}

void SiteTreeModel::SetPanels(const std::vector<TreePanel>& panels) {
  std::vector<bool> expanded;
  for (const auto& node : root_->children) expanded.push_back(node->expanded);
  root_->children.clear();
  for (int p = 0; p < int(panels.size()); ++p) {
    const TreePanel& panel = panels[p];
    auto node = std::make_unique<TreeNode>();
    node->text = panel.name;
    node->image = kImagePanel;
    node->parent = root_.get();
    node->number = p + 1;
    node->mark = panel.mark;
    node->expanded = p < int(expanded.size()) ? expanded[p] : true;
    for (int i = 0; i < int(panel.loops.size()); ++i) {
      auto loop = std::make_unique<TreeNode>();
      loop->text = i18n::Text(i18n::Msg::kLoop) + " " + QString::number(panel.loops[i]);
      loop->image = kImageLoop;
      loop->parent = node.get();
      loop->number = panel.loops[i];
      loop->mark = i < int(panel.loop_marks.size()) ? panel.loop_marks[i] : 0;
      node->children.push_back(std::move(loop));
    }
    auto outputs = std::make_unique<TreeNode>();
    outputs->text = i18n::Text(i18n::Msg::kOutputs);
    outputs->image = kImageOutputs;
    outputs->parent = node.get();
    node->children.push_back(std::move(outputs));
    root_->children.push_back(std::move(node));
  }
  root_->expanded = true;
  selected_ = root_.get();
  emit StructureChanged();
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
