#pragma once

#include <QDockWidget>

class QLabel;
class QTreeView;
class ProblemListModel;
class ScriptProblems;

// "Problèmes": every problem of the script, its severity, its line and its
// message; double-click or Entrée on one selects its row. A pane the user
// may close or move.
class ProblemsPane : public QDockWidget
{
    Q_OBJECT
public:
    ProblemsPane(ScriptProblems &problems, QWidget *parent);

    QLabel *Label1;    // why the vocabulary is not checked; hidden when it is
    QTreeView *List1;  // the problems

    // Says why the vocabulary is not checked ("" when it is).
    void setNote(const QString &note);

signals:
    // The user chose the problem of row pos.
    void rowChosen(int pos);
    // The user chose the name a problem proposes (its index in the list).
    void fixChosen(int problem);

private:
    void choose(const QModelIndex &index);
    // The list's context menu: the name the problem proposes, in one step.
    void showMenu(const QPoint &at);
    ScriptProblems &m_problems;
    ProblemListModel *m_model;
};
