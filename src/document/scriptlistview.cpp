#include "scriptlistview.h"

#include <QHeaderView>
#include <QItemSelectionModel>

ScriptListView::ScriptListView(QWidget *parent) : QTableView(parent), m_model(this)
{
    setModel(&m_model);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setTabKeyNavigation(false);
    horizontalHeader()->hide();
    horizontalHeader()->setStretchLastSection(true);
    verticalHeader()->hide();
    // Rows of one fixed height keep layout and scrolling independent of the
    // row count.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
}

int ScriptListView::selectedPosition() const
{
    const QModelIndexList sel = selectionModel()->selectedIndexes();
    return sel.isEmpty() ? 0 : sel.first().row() + 1;
}

void ScriptListView::selectRow(int pos)
{
    if (pos < 1 || pos > m_model.count())
        return;
    const QModelIndex i = m_model.index(pos - 1);
    selectionModel()->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect);
    scrollTo(i);
}
