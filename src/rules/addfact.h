#pragma once

#include "paramdialog.h"

class QCheckBox;

// The fact editor "Fait": a fact of the catalogue, its parameter values and
// its negation. Modal; the rule composer and the edit command build the line
// from what it leaves in its controls and in t1 to t5.
class AddFact : public ParamDialog
{
    Q_OBJECT
public:
    static AddFact &instance();
    static AddFact *loaded() { return s_instance; }
    // Destroys the editor, unless a caller still holds it (Orderload) and
    // neither the editor window nor the plug-in is closing: then it only hides.
    static void unload();
    ~AddFact() override;

    QPlainTextEdit *Text2; // help of the chosen fact
    QComboBox *combo_param_1, *combo_param_2, *combo_param_3, *combo_param_4;
    QLineEdit *text_combo_1, *text_combo_2, *text_combo_3, *text_combo_4;
    QCheckBox *Check1; // "Vérifier l'inverse"

    // Kinds of fields 1 to 4 at OK (2 typed, 1 from a list, 0 none); t5 is 1
    // when the fact is negated.
    quint8 t1 = 0, t2 = 0, t3 = 0, t4 = 0, t5 = 0;
    bool Orderload = false;

    // The fact line of what was accepted: negation, name and values.
    QString factLine() const;
    // Lets the editor go once its line is built: a new one, with a filled
    // chooser, serves the next fact.
    static void release();

public slots:
    void Command1_Click();

protected:
    QString builtLine() const override;

private:
    AddFact();
    void Form_Activate() override;
    static inline AddFact *s_instance = nullptr;
};

namespace Facts {
// Puts the fact headers in the fact editor's chooser (creating the editor
// when there is none).
void FillFactChooser();
} // namespace Facts
