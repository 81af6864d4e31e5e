#pragma once
// A report-style list: one row per item under column headers, the first column left-aligned
// and every other column centred, in the header and in every cell.

#include <QString>
#include <QTreeWidget>
#include <utility>
#include <vector>

namespace quillet {

class ListView : public QTreeWidget {
    Q_OBJECT

public:
    // Each column is (title, width in pixels).
    ListView(const std::vector<std::pair<QString, int>>& columns, QWidget* parent = nullptr);

    static Qt::Alignment columnAlignment(int column);

    // Inserts a row before `position` (at the end when position is negative or past the end)
    // and returns its index; the other cells start empty.
    int addRow(int position, const QString& col0 = QString());
    // Rows or columns that do not exist are ignored (cell() then gives the empty text).
    void setCell(int row, int column, const QString& text);
    QString cell(int row, int column) const;
    int rowCount() const { return topLevelItemCount(); }
    void clearRows() { clear(); }
    // -1 when no row is current.
    int selectedRow() const;
    void selectRow(int row);
    void ensureRowVisible(int row);
};

}  // namespace quillet
