#include "ui/window_texts.h"

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSet>
#include <QTabWidget>
#include <QWidget>
#include <optional>

namespace velmora::ui {
namespace {

// The English source of each kind of text, kept as a property of the object that shows it.
constexpr const char* kTextProperty = "velmoraText";
constexpr const char* kWindowTitleProperty = "velmoraWindowTitle";
constexpr const char* kHintProperty = "velmoraHint";
constexpr const char* kTabCaptionProperty = "velmoraTabCaption";

QString English(WindowText text) { return QString::fromUtf8(text.English()); }

void Remember(QObject* object, const char* property, WindowText text) {
  object->setProperty(property, English(text));
}

// The translation of a remembered English source, or nothing when none was remembered.
std::optional<QString> Remembered(const QObject* object, const char* property) {
  const QVariant english = object->property(property);
  if (!english.isValid()) return std::nullopt;
  return i18n::Tr(english.toString());
}

void ShowText(QObject* object, const QString& text) {
  if (auto* label = qobject_cast<QLabel*>(object)) {
    label->setText(text);
  } else if (auto* button = qobject_cast<QAbstractButton*>(object)) {
    button->setText(text);
  } else if (auto* action = qobject_cast<QAction*>(object)) {
    action->setText(text);
  } else if (auto* frame = qobject_cast<QGroupBox*>(object)) {
    frame->setTitle(text);
  } else if (auto* menu = qobject_cast<QMenu*>(object)) {
    menu->setTitle(text);
  }
}

void ShowHint(QObject* object, const QString& hint) {
  if (auto* action = qobject_cast<QAction*>(object)) {
    action->setToolTip(hint);
  } else if (auto* widget = qobject_cast<QWidget*>(object)) {
    widget->setToolTip(hint);
  }
}

void SetTextOf(QObject* object, WindowText text) {
  Remember(object, kTextProperty, text);
  ShowText(object, text.Translated());
}

void SetHintOf(QObject* object, WindowText text) {
  Remember(object, kHintProperty, text);
  ShowHint(object, text.Translated());
}

void TranslateObject(QObject* object) {
  if (const auto text = Remembered(object, kTextProperty)) ShowText(object, *text);
  if (const auto hint = Remembered(object, kHintProperty)) ShowHint(object, *hint);
  if (auto* widget = qobject_cast<QWidget*>(object)) {
    if (const auto title = Remembered(object, kWindowTitleProperty)) widget->setWindowTitle(*title);
  }
  if (auto* tabs = qobject_cast<QTabWidget*>(object)) {
    for (int i = 0; i < tabs->count(); ++i) {
      if (const auto caption = Remembered(tabs->widget(i), kTabCaptionProperty)) {
        tabs->setTabText(i, *caption);
      }
    }
  }
  if (auto* box = qobject_cast<QComboBox*>(object)) {
    for (int i = 0; i < box->count(); ++i) {
      const QVariant english = box->itemData(i, kEnglishSourceRole);
      if (english.isValid()) box->setItemText(i, i18n::Tr(english.toString()));
    }
  }
}

void TranslateColumnTitles(QAbstractItemModel* model) {
  for (int column = 0; column < model->columnCount(); ++column) {
    const QVariant english = model->headerData(column, Qt::Horizontal, kEnglishSourceRole);
    if (english.isValid()) {
      model->setHeaderData(column, Qt::Horizontal, i18n::Tr(english.toString()), Qt::DisplayRole);
    }
  }
}

}  // namespace

void SetWindowTitle(QWidget* window, WindowText text) {
  Remember(window, kWindowTitleProperty, text);
  window->setWindowTitle(text.Translated());
}

void SetText(QLabel* label, WindowText text) { SetTextOf(label, text); }
void SetText(QAbstractButton* button, WindowText text) { SetTextOf(button, text); }
void SetText(QAction* action, WindowText text) { SetTextOf(action, text); }
void SetTitle(QGroupBox* frame, WindowText text) { SetTextOf(frame, text); }
void SetTitle(QMenu* menu, WindowText text) { SetTextOf(menu, text); }
void SetHint(QWidget* widget, WindowText text) { SetHintOf(widget, text); }
void SetHint(QAction* action, WindowText text) { SetHintOf(action, text); }

QMenu* AddMenu(QMenuBar* bar, WindowText title) {
  QMenu* menu = bar->addMenu(QString());
  SetTitle(menu, title);
  return menu;
}

QMenu* AddMenu(QMenu* parent, WindowText title) {
  QMenu* menu = parent->addMenu(QString());
  SetTitle(menu, title);
  return menu;
}

QAction* AddAction(QMenu* menu, WindowText text) {
  QAction* action = menu->addAction(QString());
  SetText(action, text);
  return action;
}

int AddTab(QTabWidget* tabs, QWidget* page, WindowText caption) {
  Remember(page, kTabCaptionProperty, caption);
  return tabs->addTab(page, caption.Translated());
}

void SetTabText(QTabWidget* tabs, int index, WindowText caption) {
  QWidget* page = tabs->widget(index);
  if (page == nullptr) return;
  Remember(page, kTabCaptionProperty, caption);
  tabs->setTabText(index, caption.Translated());
}

void AddItems(QComboBox* box, std::initializer_list<WindowText> items) {
  for (const WindowText& item : items) {
    box->addItem(item.Translated());
    box->setItemData(box->count() - 1, English(item), kEnglishSourceRole);
  }
}

void SetColumnTitle(QAbstractItemModel* model, int column, WindowText title) {
  model->setHeaderData(column, Qt::Horizontal, English(title), kEnglishSourceRole);
  model->setHeaderData(column, Qt::Horizontal, title.Translated(), Qt::DisplayRole);
}

void TranslateWindow(QWidget* window) {
  QList<QObject*> objects = window->findChildren<QObject*>();
  objects.prepend(window);
  QSet<QAbstractItemModel*> models;
  for (QObject* object : objects) {
    TranslateObject(object);
    if (auto* view = qobject_cast<QAbstractItemView*>(object); view && view->model()) {
      models.insert(view->model());
    }
  }
  for (QAbstractItemModel* model : models) TranslateColumnTitles(model);
}

}  // namespace velmora::ui
