#pragma once

#include "scriptline.h"

#include <QStringList>

class QWidget;

// The one way the line editors and the rule composer reach the script: the
// editor window's list, by the placement rule. The editor window is the sink
// while it is open; the dialogs never see the window itself.
class RowSink
{
public:
    // The open editor window's sink, or nullptr.
    static RowSink *current() { return s_current; }

    // The window the dialogs stand over.
    virtual QWidget *dialogParent() = 0;
    // The selected row's position, 0 when none is.
    virtual int selectedRow() const = 0;
    virtual QString rowText(int pos) const = 0;
    virtual LineKind rowKind(int pos) const = 0;
    // Places a new row: at the end when appending, else before the selected
    // row. Returns its position; 0 when it has nowhere to go, or when the
    // user declined to change a part of the script kept as read.
    virtual int placeRow(bool append, const QString &text, QRgb colour, LineKind kind) = 0;
    virtual void setRowText(int pos, const QString &text) = 0;
    // Selects where the new rows went: the last row after appending; after
    // inserting the selection stays, so that further rows follow in order.
    virtual void selectNewRow(bool appended) = 0;
    // Everything done to the list from openStep until the matching closeStep
    // is undone and redone as one step (the rows of one composed rule); the
    // pairs nest. Until closed, each change stays undoable on its own.
    virtual void openStep() = 0;
    virtual void closeStep() = 0;
    // The constants of the script's AI a value of the parameter type
    // typeName may be, as list entries: "name (constante: value)".
    virtual QStringList constantsFor(const QString &typeName)
    {
        Q_UNUSED(typeName);
        return {};
    }

protected:
    RowSink() = default;
    ~RowSink() = default;
    static inline RowSink *s_current = nullptr;
};
