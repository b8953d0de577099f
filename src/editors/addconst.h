#pragma once

#include "editorsupport.h"


class QLabel;
class QLineEdit;
class QPushButton;

// The constant editor "Constantes": the name and value of a constant, checked
// as a number within the game's 16-bit integers, or a quoted text. What the
// user did not change is not checked, and a row confirmed unchanged keeps
// its text. Adding, the main window
// builds the line; editing, the editor rewrites the selected row itself.
class AddConst : public ActivatedDialog, public HiddenBetweenUses<AddConst>
{
    Q_OBJECT
public:
    AddConst();

    QLabel *Label1;
    QLineEdit *Text1; // name
    QLabel *Label2;
    QLineEdit *Text2; // value
    QPushButton *Command1; // OK
    QPushButton *Command2; // Annuler

    // True when OK closed an opening for adding.
    bool confirm = false;

public slots:
    void Command1_Click();

private:
    void Form_Activate() override;
    // Editing: the row's text and the name and value it was split into.
    QString m_rowText, m_filledName, m_filledValue;
};
