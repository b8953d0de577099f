#pragma once

#include "files/rowstext.h"
#include "rowtexteditor.h"

#include <QObject>
#include <QPointer>
#include <vector>

class PlugFrm;
class QAction;
class QMenu;
class ScriptListView;

// The "Edition" menu's commands on the selected rows: the clipboard (copy,
// cut, paste as script text), duplicating, moving up and down, and typing a
// row's text in place. Each change is one undo step. A rule's (or group's)
// start or end row selected stands for the whole rule, and a line's end
// comment goes with it.
class RowCommands : public QObject
{
    Q_OBJECT
public:
    // The actions go into menu and work from the list.
    RowCommands(PlugFrm &window, QMenu *menu);

    QAction *copyAction, *cutAction, *pasteAction, *duplicateAction, *moveUpAction, *moveDownAction, *editTextAction;
    // The field of "Modifier le texte" while it shows, else nullptr.
    RowTextEditor *textEditor() const { return m_editor; }

    // The rows the commands act on: the selected ones, each rule start or
    // end among them widened to the whole rule; in order, merged.
    std::vector<SaveOpen::RowRange> selectedRanges() const;

public slots:
    void copy();
    void cut();
    void paste();
    void duplicate();
    void moveUp() { move(-1); }
    void moveDown() { move(1); }
    void editText();
    // Several rows selected: removes them all (one undo step).
    void removeSelected();

private:
    void move(int direction);
    // The AI's constants and the script's own, for the completion.
    QStringList constants() const;
    // Where the row at pos stands, for its text typed anew.
    SaveOpen::RowPlace placeOf(int pos) const;
    void placeEditor();
    // Whether the user lets every kept-as-read part the ranges touch change.
    bool mayChange(const std::vector<SaveOpen::RowRange> &ranges);
    void select(const std::vector<SaveOpen::RowRange> &ranges);
    void tell(const QString &text);
    void finishTextEdit(bool accepted);

    PlugFrm &m_window;
    ScriptListView *m_list;
    QPointer<RowTextEditor> m_editor; // gone with the list, should the window close first
    int m_editedRow = 0;
};
