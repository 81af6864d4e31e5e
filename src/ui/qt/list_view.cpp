#include "ui/qt/list_view.h"

#include <QHeaderView>

namespace quillet {

ListView::ListView(const std::vector<std::pair<QString, int>>& columns, QWidget* parent)
    : QTreeWidget(parent) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setColumnCount(static_cast<int>(columns.size()));
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    QTreeWidgetItem* head = headerItem();
    for (int i = 0; i < static_cast<int>(columns.size()); ++i) {
        head->setText(i, columns[i].first);
        head->setTextAlignment(i, columnAlignment(i));
        setColumnWidth(i, columns[i].second);
    }
}

Qt::Alignment ListView::columnAlignment(int column) {
    return (column == 0 ? Qt::AlignLeft : Qt::AlignHCenter) | Qt::AlignVCenter;
}

int ListView::addRow(int position, const QString& col0) {
    const int count = topLevelItemCount();
    if (position < 0 || position > count) {
        position = count;
    }
    auto* item = new QTreeWidgetItem();
    for (int i = 0; i < columnCount(); ++i) {
        item->setTextAlignment(i, columnAlignment(i));
    }
    item->setText(0, col0);
    insertTopLevelItem(position, item);
    return position;
}

void ListView::setCell(int row, int column, const QString& text) {
    QTreeWidgetItem* item = topLevelItem(row);
    if (item != nullptr && column >= 0 && column < columnCount()) {
        item->setText(column, text);
    }
}

QString ListView::cell(int row, int column) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    if (item == nullptr || column < 0 || column >= columnCount()) {
        return QString();
    }
    return item->text(column);
}

int ListView::selectedRow() const {
    const QList<QTreeWidgetItem*> chosen = selectedItems();
    return chosen.isEmpty() ? -1 : indexOfTopLevelItem(chosen.first());
}

void ListView::selectRow(int row) {
    QTreeWidgetItem* item = topLevelItem(row);
    if (item != nullptr) {
        setCurrentItem(item);
    }
}

void ListView::ensureRowVisible(int row) {
    QTreeWidgetItem* item = topLevelItem(row);
    if (item != nullptr) {
        scrollToItem(item);
    }
}

}  // namespace quillet
