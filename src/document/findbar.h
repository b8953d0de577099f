#pragma once

#include "rowsearch.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class ScriptListView;

// The find bar above the list: the text to find, the case option, the next
// and previous buttons, and a line that says when the search went round the
// end of the list or found nothing. Typing searches from the selected row;
// each find selects the matching row. While the bar shows, the rows that
// contain the text are highlighted.
class FindBar : public QWidget
{
    Q_OBJECT
public:
    explicit FindBar(ScriptListView *list, QWidget *parent = nullptr);

    QLabel *Label1;        // "Rechercher :"
    QLineEdit *Text1;      // the text to find
    QCheckBox *Check1;     // "Respecter la casse"
    QPushButton *Command1; // "Suivant"
    QPushButton *Command2; // "Précédent"
    QLabel *Label2;        // the outcome of the last search
    QToolButton *Command3; // closes the bar

    Qt::CaseSensitivity caseSensitivity() const;
    bool eventFilter(QObject *watched, QEvent *event) override;

public slots:
    // Shows the bar with the focus in the text, all of it selected.
    void open();
    // Hides the bar, drops the highlight and gives the focus back to the list.
    void Command3_Click();
    // The next (previous) matching row after (before) the selected one,
    // wrapping round the end of the list; shows the bar first when hidden.
    void Command1_Click();
    void Command2_Click();

private:
    // Runs one search and reports it: the hit selected, or a message.
    void search(int start, RowSearch::Direction direction);
    // Typing or the case option: the search starts at the selected row, so
    // a row that still matches keeps the selection.
    void searchHere();
    // Shows the bar for the function keys, keeping the focus where it is;
    // false when there is no text to find yet (the focus then goes to it).
    bool showForStep();
    void updateHighlight();

    ScriptListView *m_list;
};
