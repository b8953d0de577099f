#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// "Aller à la ligne": asks for a row number between 1 and the number of
// rows. A number out of that range, or no number, is refused with a message
// and the dialog stays open with what was typed. Made for one opening.
class GoToLineFrm : public QDialog
{
    Q_OBJECT
public:
    // count: the number of rows (at least 1); current: the number shown at
    // first (the selected row, or 1).
    GoToLineFrm(int count, int current, QWidget *parent = nullptr);

    QLabel *Label1;
    QLineEdit *Text1;
    QPushButton *Command1; // OK
    QPushButton *Command2; // Annuler

    // The row chosen once OK accepted it; 0 otherwise.
    int Line = 0;

public slots:
    void Command1_Click();

private:
    int m_count;
};
