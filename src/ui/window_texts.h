#pragma once

#include <QString>
#include <Qt>
#include <initializer_list>

#include "i18n/messages.h"
#include "i18n/tr.h"

class QAbstractButton;
class QAbstractItemModel;
class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QMenu;
class QMenuBar;
class QTabWidget;
class QWidget;

namespace velmora::ui {

// A text a window shows: an English text of the sources marked with N_, or a message of the
// message table. Nothing read at run time converts to it, so table and column names, filters,
// data bindings and connection settings can never reach the catalogue: they are set through
// the widgets' own functions (setObjectName, the models), never through these.
class WindowText {
 public:
  constexpr WindowText(i18n::Source english) : english_(english.English()) {}  // NOLINT
  WindowText(i18n::Msg message) : english_(i18n::English(message)) {}          // NOLINT

  const char* English() const { return english_; }
  QString Translated() const { return i18n::Tr(english_); }

 private:
  const char* english_;
};

// The role under which models and list items keep the English source of a translated text.
inline constexpr int kEnglishSourceRole = Qt::UserRole + 0x454e;

// Each of these shows the translation now and remembers the English text on the widget, so
// TranslateWindow can show it again in the language of the run.
void SetWindowTitle(QWidget* window, WindowText text);
void SetText(QLabel* label, WindowText text);
void SetText(QAbstractButton* button, WindowText text);
void SetText(QAction* action, WindowText text);
void SetTitle(QGroupBox* frame, WindowText text);
void SetTitle(QMenu* menu, WindowText text);
// A hint (tool tip).
void SetHint(QWidget* widget, WindowText text);
void SetHint(QAction* action, WindowText text);

QMenu* AddMenu(QMenuBar* bar, WindowText title);
QMenu* AddMenu(QMenu* menu, WindowText title);
QAction* AddAction(QMenu* menu, WindowText text);

int AddTab(QTabWidget* tabs, QWidget* page, WindowText caption);
void SetTabText(QTabWidget* tabs, int index, WindowText caption);

// List items that are texts of the window (not data from a table).
void AddItems(QComboBox* box, std::initializer_list<WindowText> items);

// A column title of a model that keeps header data per role (a QStandardItemModel, or one of
// ours that stores kEnglishSourceRole). Models over tables may instead hold WindowText titles
// and translate them in headerData.
void SetColumnTitle(QAbstractItemModel* model, int column, WindowText title);

// Shows every text set through the functions above on `window` and on everything it owns
// (children, their actions and menus, tab pages, list items, the models of its views) in the
// language of this run. Texts set any other way are left exactly as they are.
void TranslateWindow(QWidget* window);

}  // namespace velmora::ui
