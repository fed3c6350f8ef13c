#pragma once

#include <QAbstractTableModel>
#include <functional>
#include <vector>

#include "site/database.h"
#include "ui/window_texts.h"

namespace velmora::site {
class Prompter;
}  // namespace velmora::site

class QTableView;

namespace velmora::ui {

// An editable grid over rows of a site table (the device rows of the loop on show, the outputs of
// the panel on show). It reads its rows from a source and writes nothing itself: an edited cell,
// once it converts to its column's type, is handed to a writer, which builds the action. The
// chosen columns come first, centred under their titles; the table's other columns follow and
// are hidden by the view.
class EditableGridModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  struct ColumnSpec {
    const char* field;
    WindowText title;
    bool editable;
  };
  using RowSource = std::function<std::vector<site::Row>()>;
  // An edited cell: the grid row, the column's name, the value converted to its type.
  using Writer = std::function<void(int row, const QString& field, const QVariant& value)>;

  EditableGridModel(site::Database& db, QString table, std::vector<ColumnSpec> shown,
                    RowSource source, Writer writer, site::Prompter& prompter,
                    QObject* parent = nullptr);

  int ShownColumnCount() const { return int(shown_.size()); }
  QString Field(int column) const;
  // The stored row at a grid row; nullptr when there is none.
  const site::Row* RowAt(int row) const;
  // The table column index of a field; -1 when the table has none.
  int Column(const QString& field) const;

  // Reads the rows again as a new set (another loop or panel on show, another site).
  void Reset();
  // Reads the rows again; the same rows are refreshed in place, others make a new set.
  void Sync();

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

 private:
  void ReadColumns();
  std::vector<site::Row> Read();

  site::Database& db_;
  QString table_;
  std::vector<ColumnSpec> shown_;
  RowSource source_;
  Writer writer_;
  site::Prompter& prompter_;
  std::vector<int> order_;  // table column index of each grid column
  std::vector<site::Column> columns_;
  std::vector<site::Row> rows_;
  bool writing_ = false;
};

// Gives the columns of a grid their widths, each at least as wide as the longest word of its
// caption: a longer caption goes on over a second line of the header, which is then two lines
// high. The header's captions wrap (their alignment carries Qt::TextWordWrap).
void SetColumnWidths(QTableView* view, const std::vector<int>& widths);

}  // namespace velmora::ui
