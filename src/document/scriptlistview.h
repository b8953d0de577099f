#pragma once

#include "scriptmodel.h"

#include <QTableView>

// ListView1: the script lines; several may be selected (the row commands
// set that up), the single-row commands take the current one. The row operations
// live on the model; the view adds the selection, 1-based like the rows.
// A one-column table without headers or grid looks like a plain list; unlike
// QListView it does not lay every row out again after each insertion, so
// single-row commands stay fast on scripts of 100,000 lines and more.
class ScriptListView : public QTableView
{
    Q_OBJECT
public:
    // Shows rows, a document's, which outlive the view.
    explicit ScriptListView(ScriptModel &rows, QWidget *parent = nullptr);

    ScriptModel &rows() { return m_model; }
    const ScriptModel &rows() const { return m_model; }
    int count() const { return m_model.count(); }

    // Position of the selected row (the current one among several), 0 when
    // none is.
    int selectedPosition() const;
    // Makes the row at pos the selected one (and the current one, so that the
    // keyboard goes on from there); nothing when pos is not a row.
    void selectRow(int pos);
    // Shows or hides the file's line numbers in the margin at the left.
    void setLineNumbers(bool on);

private:
    void fitLineNumbers();
    ScriptModel &m_model;
};
