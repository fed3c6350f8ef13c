#include "ui/tree_view_form.h"

#include <QAction>
#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QSizePolicy>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include "action/editor.h"
#include "i18n/messages.h"
#include "i18n/tr.h"
#include "site/images.h"
#include "site/site_tree_model.h"
#include "ui/image_list.h"
#include "ui/window_texts.h"

namespace velmora::ui {

using site::TreeNode;

namespace {
constexpr int kNodeRole = Qt::UserRole + 1;
constexpr int kToolBarHeight = 23;
constexpr int kIndent = 19;

// The colours of a node's mark; its word says the same to those who cannot tell them apart.
const QColor kOverloadColour{0xb0, 0x00, 0x20};
const QColor kNearLimitColour{0x8a, 0x4b, 0x00};

// A node as the tree shows it: its text, and for a loop or panel that is overloaded or near a
// limit a word after it, a colour, and bold for an overload.
void ShowNode(QTreeWidgetItem* item, const TreeNode* node) {
  QString text = node->text;
  QFont font = item->font(0);
  font.setBold(node->mark == 2);
  QBrush colour;
  switch (node->mark) {
    case 2:
      text += " " + i18n::Tr(N_("(overload)"));
      colour = kOverloadColour;
      break;
    case 1:
      text += " " + i18n::Tr(N_("(near limit)"));
      colour = kNearLimitColour;
      break;
    default:
      break;
  }
  if (item->text(0) != text) item->setText(0, text);
  if (item->font(0) != font) item->setFont(0, font);
  if (item->foreground(0) != colour) item->setForeground(0, colour);
}
}  // namespace

TFormTreeView::TFormTreeView(action::Editor& editor, QWidget* parent)
    : QWidget(parent), editor_(editor) {
  setObjectName("TFormTreeView");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  caption_ = new QLabel(this);
  caption_->setObjectName("LabelCaption");
  caption_->setContentsMargins(4, 2, 4, 2);
  caption_->setStyleSheet("QLabel { background: palette(mid); color: palette(bright-text); }");
  QFont caption_font = caption_->font();
  caption_font.setBold(true);
  caption_->setFont(caption_font);
  caption_->setWordWrap(true);  // a long site name takes a second line rather than being cut
  layout->addWidget(caption_);

  BuildToolBar();
  layout->addWidget(toolbar_);

  tree_ = new QTreeWidget(this);
  tree_->setObjectName("TreeViewSite");
  tree_->setHeaderHidden(true);
  tree_->setColumnCount(1);
  tree_->setIndentation(kIndent);
  tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tree_->setSelectionMode(QAbstractItemView::SingleSelection);
  tree_->setIconSize(QSize(ImageList::kSize, ImageList::kSize));
  tree_->setContextMenuPolicy(Qt::CustomContextMenu);
  tree_->setExpandsOnDoubleClick(true);
  // Node texts are shown whole; a narrow area scrolls sideways.
  tree_->setTextElideMode(Qt::ElideNone);
  tree_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  tree_->header()->setStretchLastSection(false);
  // The selection stays as visible as with the focus when the tree loses it.
  QPalette palette = tree_->palette();
  palette.setColor(QPalette::Inactive, QPalette::Highlight,
                   palette.color(QPalette::Active, QPalette::Highlight));
  palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                   palette.color(QPalette::Active, QPalette::HighlightedText));
  tree_->setPalette(palette);
  SetHint(tree_, N_("Right click to add or remove panels"));
  tree_->viewport()->installEventFilter(this);
  layout->addWidget(tree_, 1);

  BuildContextMenu();

  site::SiteTreeModel& model = editor_.Tree();
  connect(&model, &site::SiteTreeModel::StructureChanged, this, [this] {
    // Panels and loops may be numbered anew: a remembered loop could now be another one.
    copied_loop_ = {0, 0};
    Rebuild();
  });
  connect(&model, &site::SiteTreeModel::NodeTextChanged, this, [this](TreeNode* node) {
    if (QTreeWidgetItem* item = ItemOf(node)) ShowNode(item, node);
  });
  // The marks follow every change of the results.
  connect(&editor_, &action::Editor::Changed, this, &TFormTreeView::ShowMarks);
  connect(&model, &site::SiteTreeModel::SelectionChanged, this, &TFormTreeView::ShowSelection);
  connect(&model, &site::SiteTreeModel::ExpansionChanged, this, &TFormTreeView::ApplyExpansion);
  connect(&model, &site::SiteTreeModel::WindowCaptionChanged, this, &TFormTreeView::ShowCaption);
  connect(tree_, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* current) { OnCurrentItemChanged(current); });
  connect(tree_, &QTreeWidget::itemClicked, this,
          [this](QTreeWidgetItem* item) { OnItemClicked(item); });
  connect(tree_, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
    if (!syncing_) editor_.Tree().SetExpanded(NodeOf(item), true);
  });
  connect(tree_, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) {
    if (!syncing_) editor_.Tree().SetExpanded(NodeOf(item), false);
  });
  connect(tree_, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    if (tree_->itemAt(pos) != nullptr) popup_->exec(tree_->viewport()->mapToGlobal(pos));
  });

  ShowCaption(model.WindowCaption());
  Rebuild();
}

QAction* TFormTreeView::MakeCommand(const char* name, int image) {
  auto* action = new QAction(this);
  action->setObjectName(name);
  if (image >= 0) action->setIcon(ImageList::Icon(image));
  return action;
}

void TFormTreeView::BuildToolBar() {
  toolbar_ = new QToolBar(this);
  toolbar_->setObjectName("ToolBarTree");
  toolbar_->setFixedHeight(kToolBarHeight);
  toolbar_->setIconSize(QSize(ImageList::kSize, ImageList::kSize));
  toolbar_->setToolButtonStyle(Qt::ToolButtonIconOnly);
  toolbar_->setMovable(false);
  toolbar_->setFloatable(false);
  toolbar_->setContentsMargins(0, 0, 0, 0);

  site::SiteTreeModel& model = editor_.Tree();
  add_panel_ = MakeCommand("AddPanel", site::kImagePanel);
  SetText(add_panel_, i18n::Msg::kAddPanel);
  SetHint(add_panel_, i18n::Msg::kAddPanel);
  connect(add_panel_, &QAction::triggered, this,
          [this] { editor_.Perform(action::Action::Make("add-panel")); });
  toolbar_->addAction(add_panel_);

  auto* spacer = new QWidget(toolbar_);
  spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
  toolbar_->addWidget(spacer);

  QAction* expand_all = MakeCommand("ExpandAll", site::kImageExpandAll);
  SetHint(expand_all, N_("Expand All"));
  connect(expand_all, &QAction::triggered, &model, &site::SiteTreeModel::ExpandAll);
  QAction* collapse_all = MakeCommand("CollapseAll", site::kImageCollapseAll);
  SetHint(collapse_all, N_("Collapse All"));
  connect(collapse_all, &QAction::triggered, &model, &site::SiteTreeModel::CollapseAll);
  QAction* expand_details = MakeCommand("ExpandPanelDetails", site::kImageExpandPanelDetails);
  SetHint(expand_details, N_("Expand Panel Details"));
  connect(expand_details, &QAction::triggered, &model, &site::SiteTreeModel::ExpandPanelDetails);
  QAction* collapse_details = MakeCommand("CollapsePanelDetails", site::kImageCollapsePanelDetails);
  SetHint(collapse_details, N_("Collapse Panel Details"));
  connect(collapse_details, &QAction::triggered, &model,
          &site::SiteTreeModel::CollapsePanelDetails);
  for (QAction* action : {expand_all, collapse_all, expand_details, collapse_details})
    toolbar_->addAction(action);

  // Run after a panel is added; it has no button of its own.
  QAction* expand_panels = MakeCommand("ExpandPanels", -1);
  connect(expand_panels, &QAction::triggered, &model, &site::SiteTreeModel::ExpandPanels);
  addAction(expand_panels);
}

void TFormTreeView::BuildContextMenu() {
  popup_ = new QMenu(this);
  popup_->setObjectName("PopupMenuTree");
  popup_->addAction(add_panel_);
  popup_->addSeparator();
  delete_panel_ = AddAction(popup_, N_("Delete Panel"));
  delete_panel_->setObjectName("DeletePanel");
  connect(delete_panel_, &QAction::triggered, this, [this] {
    // With the root selected nothing happens.
    const int panel = SelectedPanel();
    if (panel > 0) editor_.Perform(action::Action::Make("delete-panel", {{"panel", panel}}));
  });
  duplicate_panel_ = AddAction(popup_, N_("Duplicate Panel"));
  duplicate_panel_->setObjectName("DuplicatePanel");
  connect(duplicate_panel_, &QAction::triggered, this, [this] {
    const int panel = SelectedPanel();
    if (panel > 0) editor_.Perform(action::Action::Make("duplicate-panel", {{"panel", panel}}));
  });
  popup_->addSeparator();
  // A loop's devices are remembered with the first command and copied to the loop chosen with
  // the second; the copy is one action, taken back with Undo like any other.
  copy_devices_ = AddAction(popup_, N_("Copy Loop's Devices"));
  copy_devices_->setObjectName("CopyLoopDevices");
  connect(copy_devices_, &QAction::triggered, this, [this] {
    const action::Focus focus = editor_.FocusOf(editor_.Tree().Selected());
    if (focus.view == site::DetailView::kDevices) copied_loop_ = {focus.panel, focus.loop};
  });
  paste_devices_ = AddAction(popup_, N_("Paste Devices"));
  paste_devices_->setObjectName("PasteLoopDevices");
  connect(paste_devices_, &QAction::triggered, this, [this] {
    const action::Focus focus = editor_.FocusOf(editor_.Tree().Selected());
    if (focus.view != site::DetailView::kDevices || copied_loop_.first == 0) return;
    editor_.Perform(action::Action::Make("copy-loop-devices", {{"panel", copied_loop_.first},
                                                               {"loop", copied_loop_.second},
                                                               {"to_panel", focus.panel},
                                                               {"to_loop", focus.loop}}));
  });
  connect(popup_, &QMenu::aboutToShow, this, &TFormTreeView::UpdateMenu);
}

void TFormTreeView::UpdateMenu() {
  const action::Focus focus = editor_.FocusOf(editor_.Tree().Selected());
  const bool on_loop = focus.view == site::DetailView::kDevices;
  copy_devices_->setEnabled(on_loop);
  paste_devices_->setEnabled(on_loop && copied_loop_.first > 0 &&
                             copied_loop_ != std::pair{focus.panel, focus.loop});
}

void TFormTreeView::ShowMarks() {
  for (auto it = items_.cbegin(); it != items_.cend(); ++it) ShowNode(it.value(), it.key());
}

void TFormTreeView::AddItems(QTreeWidgetItem* item, const TreeNode* node) {
  ShowNode(item, node);
  item->setIcon(0, ImageList::Icon(node->image));
  item->setData(0, kNodeRole, QVariant::fromValue(quintptr(node)));
  items_.insert(node, item);
  for (const auto& child : node->children) AddItems(new QTreeWidgetItem(item), child.get());
}

void TFormTreeView::Rebuild() {
  if (reacting_) {
    // Not while a signal of the tree widget is being handled: its items must outlive it.
    if (!rebuild_pending_) {
      rebuild_pending_ = true;
      QTimer::singleShot(0, this, [this] {
        rebuild_pending_ = false;
        Rebuild();
      });
    }
    return;
  }
  syncing_ = true;
  tree_->clear();
  items_.clear();
  auto* root = new QTreeWidgetItem(tree_);
  AddItems(root, editor_.Tree().Root());
  syncing_ = false;
  ApplyExpansion();
  ShowSelection();
}

void TFormTreeView::ApplyExpansion() {
  syncing_ = true;
  for (auto it = items_.cbegin(); it != items_.cend(); ++it) {
    if (it.value()->isExpanded() != it.key()->expanded) it.value()->setExpanded(it.key()->expanded);
  }
  syncing_ = false;
}

void TFormTreeView::ShowSelection() {
  QTreeWidgetItem* item = ItemOf(editor_.Tree().Selected());
  if (item == nullptr || item == tree_->currentItem()) {
    if (item != nullptr) item->setSelected(true);
    return;
  }
  syncing_ = true;
  tree_->setCurrentItem(item);
  tree_->scrollToItem(item);
  syncing_ = false;
}

void TFormTreeView::ShowCaption(const QString& caption) {
  setWindowTitle(caption);
  caption_->setText(caption);
}

TreeNode* TFormTreeView::NodeOf(QTreeWidgetItem* item) const {
  if (item == nullptr) return nullptr;
  return reinterpret_cast<TreeNode*>(item->data(0, kNodeRole).value<quintptr>());
}

int TFormTreeView::SelectedPanel() const {
  const site::TreeNode* node = editor_.Tree().Selected();
  if (node == nullptr || node->Level() == 0) return 0;
  if (node->Level() == 2) node = node->parent;
  return node->number;
}

void TFormTreeView::RunClickReaction() {
  reacting_ = true;
  const action::Result result = editor_.Show(editor_.FocusOf(editor_.Tree().Selected()));
  if (!result.messages.isEmpty()) editor_.Work().Prompter().Warn(result.messages.join("\n\n"));
  reacting_ = false;
}

void TFormTreeView::OnCurrentItemChanged(QTreeWidgetItem* current) {
  if (syncing_ || current == nullptr) return;
  TreeNode* node = NodeOf(current);
  if (node == nullptr || node == editor_.Tree().Selected()) return;
  // A node chosen by the user, with the mouse or the keyboard: the views follow it, so every
  // edit afterwards acts on the node that is on show.
  editor_.Tree().Select(node);
  RunClickReaction();
}

void TFormTreeView::OnItemClicked(QTreeWidgetItem* item) {
  const bool already_reacted = pressed_select_;
  pressed_select_ = false;
  if (already_reacted || NodeOf(item) != editor_.Tree().Selected()) return;
  RunClickReaction();
}

bool TFormTreeView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == tree_->viewport() && event->type() == QEvent::MouseButtonPress) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    const QPoint pos = mouse->position().toPoint();
    QTreeWidgetItem* item = tree_->itemAt(pos);
    pressed_select_ = false;
    // A press on the expand button of a node only opens or closes it.
    if (item != nullptr && pos.x() >= tree_->visualItemRect(item).left()) {
      if (NodeOf(item) != editor_.Tree().Selected()) {
        pressed_select_ = mouse->button() == Qt::LeftButton;
        tree_->setCurrentItem(item);
      }
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TFormTreeView::FocusTree() { tree_->setFocus(Qt::OtherFocusReason); }

void TFormTreeView::closeEvent(QCloseEvent* event) { event->ignore(); }

}  // namespace velmora::ui
