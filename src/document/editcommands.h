#pragma once

#include <QObject>

class FindBar;
class QAction;
class QBoxLayout;
class QMenu;
class QWidget;
class ScriptDocument;
class ScriptListView;

// The "Edition" menu's commands on a document shown in a list: undoing and
// redoing its changes, the find bar, and "Aller à la ligne". The editor
// window owns them and puts their actions in its menu.
class EditCommands : public QObject
{
    Q_OBJECT
public:
    // The find bar goes at the top of listColumn; the actions into menu.
    EditCommands(ScriptDocument &document, ScriptListView *list, QMenu *menu, QBoxLayout *listColumn,
                 QWidget *window);

    QAction *undoAction, *redoAction;
    FindBar *findBar;
    QAction *findAction, *findNextAction, *findPreviousAction, *goToLineAction;

public slots:
    // Each shows the row the step touched.
    void undo();
    void redo();
    // Asks for a line of the file (a row, for a script in no file yet) and
    // selects the row standing on it.
    void goToLine();

private:
    void showRow(int pos);
    ScriptDocument &m_document;
    ScriptListView *m_list;
    QWidget *m_window;
};
