#include "scriptlistview.h"

#include <QHeaderView>
#include <QItemSelectionModel>

ScriptListView::ScriptListView(ScriptModel &rows, QWidget *parent) : QTableView(parent), m_model(rows)
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
    // Rows of one fixed height keep layout and scrolling independent of the
    // row count.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    // The margin of line numbers: as wide as the file's last line number
    // needs, fixed, so the header never measures its rows.
    verticalHeader()->setHighlightSections(false);
    connect(&m_model, &QAbstractItemModel::modelReset, this, &ScriptListView::fitLineNumbers);
    // a script read or begun anew shows from its start
    connect(&m_model, &QAbstractItemModel::modelReset, this, &QAbstractItemView::scrollToTop);
    connect(&m_model, &QAbstractItemModel::headerDataChanged, this, &ScriptListView::fitLineNumbers);
    fitLineNumbers();
}

void ScriptListView::setLineNumbers(bool on)
{
    verticalHeader()->setVisible(on);
}

void ScriptListView::fitLineNumbers()
{
    const int digits = qMax(3, int(QString::number(m_model.fileLineCount()).size()));
    const QFontMetrics metrics(verticalHeader()->font());
    verticalHeader()->setFixedWidth(metrics.horizontalAdvance(QLatin1Char('0')) * digits + 12);
}

int ScriptListView::selectedPosition() const
{
    // the current row when it is selected, else the first selected: ranges,
    // not indexes, so a selection of every row costs nothing
    const QModelIndex current = currentIndex();
    if (current.isValid() && selectionModel()->isRowSelected(current.row()))
        return current.row() + 1;
    int top = -1;
    for (const QItemSelectionRange &r : selectionModel()->selection())
        top = top < 0 ? r.top() : qMin(top, r.top());
    return top + 1;
}

void ScriptListView::selectRow(int pos)
{
    if (pos < 1 || pos > m_model.count())
        return;
    const QModelIndex i = m_model.index(pos - 1);
    selectionModel()->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect);
    scrollTo(i);
}
