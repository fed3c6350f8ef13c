#pragma once

#include <QAbstractTableModel>
#include <vector>

#include "site/database.h"
#include "ui/window_texts.h"

namespace velmora::site {
class Prompter;
class Table;
}  // namespace velmora::site

namespace velmora::ui {

// An editable grid over the rows a shared cursor of the working copy shows (the Devices or the
// Outputs view, as the site tree filters it). Edits are written through that cursor, so the
// store's change notification reaches the reactions to the field; the cursor follows the grid's
// current row. The chosen columns come first, centred under their titles; the table's other
// columns follow and are hidden by the view.
class EditableGridModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  struct ColumnSpec {
    const char* field;
    WindowText title;
    bool editable;
  };

  EditableGridModel(site::Table& cursor, std::vector<ColumnSpec> shown, site::Prompter& prompter,
                    QObject* parent = nullptr);

  int ShownColumnCount() const { return int(shown_.size()); }
  QString Field(int column) const;

  // Reads the rows again as a new set (the filter changed, the view is shown).
  void Reset();
  // After the table changed: the same rows are refreshed in place; other rows mean a new set.
  // While an edit is being written the grid is refreshed once, when the edit is done.
  void Sync();

  // Moves the cursor to a row of the grid.
  void SetCurrentRow(int row);
  // The grid row of the cursor's current row; -1 when there is none.
  int CursorRow();

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

 private:
  void ReadColumns();

  site::Table& cursor_;
  std::vector<ColumnSpec> shown_;
  site::Prompter& prompter_;
  std::vector<int> order_;  // table column index of each grid column
  std::vector<site::Column> columns_;
  std::vector<site::Row> rows_;
  bool in_set_data_ = false;
};

}  // namespace velmora::ui
