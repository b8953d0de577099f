#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// "Aller à la ligne": asks for a line number of the file between 1 and its
// number of lines (or, for a script in no file yet, a row number). A number
// out of that range, or no number, is refused with a message and the dialog
// stays open with what was typed. Made for one opening.
class GoToLineFrm : public QDialog
{
    Q_OBJECT
public:
    // count: the number of lines (at least 1); current: the number shown at
    // first (the selected row's, or 1); rows: the numbers are rows.
    GoToLineFrm(int count, int current, QWidget *parent = nullptr, bool rows = false);

    QLabel *Label1;
    QLineEdit *Text1;
    QPushButton *Command1; // OK
    QPushButton *Command2; // Annuler

    // The number chosen once OK accepted it; 0 otherwise.
    int Line = 0;

public slots:
    void Command1_Click();

private:
    int m_count;
    QString m_noun; // "ligne" or "rangée"
};
