#pragma once

#include "editorsupport.h"


class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;

// The conditional-load editor "Ajout d'un chargement conditionnel": the
// condition type and, for a test, the symbol, from the symbol catalogue
// filtered by type and category. The main window builds the line.
class AddPrepross : public ActivatedDialog, public HiddenBetweenUses<AddPrepross>
{
    Q_OBJECT
public:
    AddPrepross();

    QLabel *Label1;
    QComboBox *Combo1; // Si, Si inverse, Sinon, Fin de si
    QLabel *Label2;
    QComboBox *Combo2; // the symbols
    QPushButton *Command1; // OK
    QPushButton *Command2; // Annuler

    QMenuBar *MenuBar;
    QMenu *ShowItems; // Afficher
    QMenu *ST;        // Types
    QMenu *SC;        // Catégories
    QAction *ShowG1, *ShowG2, *ShowL1, *ShowL2;
    QAction *ShowT1, *ShowT2, *ShowT3, *ShowT4, *ShowT5, *ShowT6, *ShowT7, *ShowT8, *ShowT9, *ShowT10, *ShowT11;
    QAction *ShowT[11]; // the same, in menu order

    // True when OK closed the window.
    bool confirm = false;

    // Puts the list text of every symbol table entry in Combo2.
    void fillAll();
    // The line of what was accepted; editing, a dialog left as it was
    // filled gives the row's text back unchanged.
    QString lineText() const;

public slots:
    void Combo1_Click();
    void Command1_Click();

private:
    void Form_Activate() override;
    // Fills Combo2 with the entries of the ticked and visible categories.
    void filter();
    void typeClicked(QAction *type, bool ticked, std::initializer_list<int> categories);
    bool m_filtered = false;   // a category entry was clicked
    bool m_showsAll = false;   // this opening shows the whole table
    // The edited line's symbol, which no catalogue entry has, is the list's
    // first entry for this opening.
    bool m_outside = false;
    // Chooses the first entry that is a symbol, not a category's separator.
    void chooseFirstSymbol();
    // Editing: the row's text and the choices it was shown with.
    QString m_rowText;
    int m_filledType = -1, m_filledSymbol = -1;
};

namespace Prepross {
// Fills the conditional-load editor's symbol list with every entry (creating
// the editor, hidden, when there is none).
void FillSymbolChooser();
} // namespace Prepross
