#pragma once

#include "editorsupport.h"


class QLineEdit;
class QPushButton;
class QRadioButton;

// The comment editor "Commentaire": a comment and where it goes (after the
// selected row, at the end, or at the end of the selected row's line).
// Adding, the main window builds the line; editing, the editor rewrites the
// selected row itself.
class AddComm : public ActivatedDialog, public HiddenBetweenUses<AddComm>
{
    Q_OBJECT
public:
    AddComm();

    QLineEdit *Text1;
    QRadioButton *Option1; // after the selected row
    QRadioButton *Option2; // at the end of the list
    QRadioButton *Option3; // at the end of the selected row's line
    QPushButton *Command1; // Ajouter
    QPushButton *Command2; // Annuler

    // True when "Ajouter" closed an opening for adding.
    bool confirm = false;

public slots:
    void Command1_Click();

private:
    void Form_Activate() override;
    // Editing: the row's text and the comment it showed.
    QString m_rowText, m_filledComment;
};
