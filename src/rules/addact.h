#pragma once

#include "paramdialog.h"

// The action editor "Actions": an action of the catalogue and its parameter
// values. Modal; the main window builds the line from its controls and t1
// to t3. It lives as long as the plug-in.
class AddAct : public ParamDialog, public HiddenBetweenUses<AddAct>
{
    Q_OBJECT
public:
    AddAct();

    QPlainTextEdit *Text1; // help of the chosen action
    QComboBox *combo_param_1, *combo_param_2, *combo_param_3;
    QLineEdit *text_combo_1, *text_combo_2, *text_combo_3;

    // Kinds of fields 1 to 3 at OK: 2 typed, 1 from a list, 0 none.
    qint16 t1 = 0, t2 = 0, t3 = 0;


public slots:
    void Command1_Click();

private:
    void Form_Activate() override;
};

namespace Acts {
// Puts the action headers in the action editor's chooser.
void FillActChooser();
} // namespace Acts
