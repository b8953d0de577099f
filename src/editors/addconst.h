#pragma once

#include "editorsupport.h"


class QLabel;
class QLineEdit;
class QPushButton;

// The constant editor "Constantes": the name and value of a constant, checked
// as a number within the game's 16-bit integers. Adding, the main window
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
};
