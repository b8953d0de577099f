#pragma once

#include <QDialog>

class QPushButton;
class QRadioButton;

// The rule composer "Ajout d'un fait": modeless beside the main window, it
// adds one row of a rule's condition part per click (rule start and end, the
// starts and ends of or-groups, and-not groups, and-groups and nor-groups, facts from the fact
// editor) at the end of the list or before the selected row.
class AddFactMain : public QDialog
{
    Q_OBJECT
public:
    static AddFactMain &instance();
    static AddFactMain *loaded() { return s_instance; }
    static void unload();
    ~AddFactMain() override;

    QRadioButton *Option1; // Début de règle
    QRadioButton *Option2; // Fait
    QRadioButton *Option3; // Ou
    QRadioButton *Option4; // Fin de ou
    QRadioButton *Option6; // Et pas
    QRadioButton *Option7; // Fin de et pas
    QRadioButton *Option8; // Tous (and-group)
    QRadioButton *Option9; // Fin de tous
    QRadioButton *Option10; // Ni (nor-group)
    QRadioButton *Option11; // Fin de ni
    QRadioButton *Option5; // Fin de règle
    QPushButton *Command1; // Ajouter
    QPushButton *Command3; // Insérer
    QPushButton *Command2; // Femer

    // add: the last click's row went to the end; ins: True while Insérer runs.
    bool add = false;
    bool ins = false;

    // Places the fact line of the fact editor just accepted, then lets the
    // editor go (a new one's chooser is filled).
    static void FactParse();

public slots:
    void Command1_Click();
    void Command3_Click();
    void Command2_Click();
    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    explicit AddFactMain(QWidget *parent);
    void Form_Load();
    void addStructureRow(const QString &appendText, const QString &insertText, int kind);
    // The rows from a rule's start to its end are undone as one step.
    void openRule();
    void closeRule();
    bool m_ruleOpen = false;
    static inline AddFactMain *s_instance = nullptr;
};
