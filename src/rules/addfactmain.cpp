#include "addfactmain.h"

#include "addfact.h"
#include "document/linebuilders.h"
#include "document/plugfrm.h"
#include "document/publicvars.h"
#include "document/scriptlistview.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

AddFactMain &AddFactMain::instance()
{
    if (!s_instance)
        s_instance = new AddFactMain(&PlugFrm::instance());
    return *s_instance;
}

void AddFactMain::unload()
{
    delete s_instance;
}

AddFactMain::AddFactMain(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Ajout d'un fait"));
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);

    auto *layout = new QVBoxLayout(this);
    auto *group = new QButtonGroup(this);
    auto option = [&](const QString &caption, bool inner) {
        auto *button = new QRadioButton(caption, this);
        group->addButton(button);
        auto *row = new QHBoxLayout;
        if (inner)
            row->addSpacing(24); // the group and fact options stand right of the rule's start and end
        row->addWidget(button);
        row->addStretch();
        layout->addLayout(row);
        return button;
    };
    Option1 = option(QStringLiteral("Début de règle"), false);
    Option2 = option(QStringLiteral("Fait"), true);
    Option3 = option(QStringLiteral("Ou"), true);
    Option4 = option(QStringLiteral("Fin de ou"), true);
    Option6 = option(QStringLiteral("Et pas"), true);
    Option7 = option(QStringLiteral("Fin de et pas"), true);
    Option8 = option(QStringLiteral("Tous"), true);
    Option9 = option(QStringLiteral("Fin de tous"), true);
    Option10 = option(QStringLiteral("Ni"), true);
    Option11 = option(QStringLiteral("Fin de ni"), true);
    Option5 = option(QStringLiteral("Fin de règle"), false);
    Option2->setChecked(true);

    auto *buttons = new QHBoxLayout;
    Command1 = new QPushButton(QStringLiteral("Ajouter"), this);
    Command3 = new QPushButton(QStringLiteral("Insérer"), this);
    Command2 = new QPushButton(QStringLiteral("Femer"), this);
    buttons->addWidget(Command1);
    buttons->addWidget(Command3);
    buttons->addWidget(Command2);
    layout->addLayout(buttons);

    connect(Command1, &QPushButton::clicked, this, &AddFactMain::Command1_Click);
    connect(Command3, &QPushButton::clicked, this, &AddFactMain::Command3_Click);
    connect(Command2, &QPushButton::clicked, this, &AddFactMain::Command2_Click);
    Form_Load();
}

AddFactMain::~AddFactMain()
{
    if (s_instance == this)
        s_instance = nullptr;
}

void AddFactMain::Form_Load()
{
    Facts::FillFactChooser();
}

void AddFactMain::addStructureRow(const QString &appendText, const QString &insertText, int kind)
{
    PlugFrm &frm = PlugFrm::instance();
    const int pos = Placement::target(add, frm.ListView1->selectedPosition(), frm.ListView1->count());
    if (pos == 0)
        return;
    if (!frm.insertRow(pos, add ? appendText : insertText, Colours::Rule, LineKind(kind)))
        return;
    frm.add = add;
    frm.SelectNewItem();
}

void AddFactMain::Command1_Click()
{
    add = !ins;
    if (Option1->isChecked()) {
        addStructureRow(QStringLiteral("Début de règle"), QStringLiteral("Début de règle"), int(LineKind::FactB));
    } else if (Option5->isChecked()) {
        addStructureRow(QStringLiteral("Fin de règle"), QStringLiteral("Fin de règle"), int(LineKind::FactE));
    } else if (Option3->isChecked()) {
        addStructureRow(QStringLiteral("Ou"), QStringLiteral("Ou"), int(LineKind::FactOB));
    } else if (Option4->isChecked()) {
        addStructureRow(QStringLiteral("Fin de ou"), QStringLiteral("Fin de ou"), int(LineKind::FactOE));
    } else if (Option6->isChecked()) {
        addStructureRow(QStringLiteral("Et pas"), QStringLiteral("Et"), int(LineKind::FactAB));
    } else if (Option7->isChecked()) {
        addStructureRow(QStringLiteral("Fin de et pas"), QStringLiteral("Fin de et"), int(LineKind::FactAE));
    } else if (Option8->isChecked()) {
        addStructureRow(QStringLiteral("Tous"), QStringLiteral("Tous"), int(LineKind::FactTB));
    } else if (Option9->isChecked()) {
        addStructureRow(QStringLiteral("Fin de tous"), QStringLiteral("Fin de tous"), int(LineKind::FactTE));
    } else if (Option10->isChecked()) {
        addStructureRow(QStringLiteral("Ni"), QStringLiteral("Ni"), int(LineKind::FactNB));
    } else if (Option11->isChecked()) {
        addStructureRow(QStringLiteral("Fin de ni"), QStringLiteral("Fin de ni"), int(LineKind::FactNE));
    } else if (Option2->isChecked()) {
        AddFact &editor = AddFact::instance();
        editor.Orderload = true;
        editor.exec();
        // A cancelled fact leaves the editor loaded, hidden, and held.
        if (!editor.Cancel)
            FactParse();
    }
}

void AddFactMain::Command3_Click()
{
    // Inserting goes before the selected row: without one nothing is added.
    if (PlugFrm::instance().ListView1->selectedPosition() == 0)
        return;
    ins = true;
    Command1_Click();
    ins = false;
}

void AddFactMain::Command2_Click()
{
    close();
}

void AddFactMain::reject()
{
    close();
}

void AddFactMain::closeEvent(QCloseEvent *event)
{
    // "Femer" and the close box alike release the fact editor.
    if (AddFact *editor = AddFact::loaded())
        editor->Orderload = false;
    event->accept();
    if (s_instance == this)
        s_instance = nullptr; // deleted once the event loop comes back
}

void AddFactMain::FactParse()
{
    AddFact &editor = AddFact::instance();
    const QString text = LineText::fact(editor.t5 == 1, editor.Combo1->currentText(), editor.params(editor.kinds()));
    if (EditMod::EditingLine) {
        EditMod::EditedLineText = text;
    } else {
        PlugFrm &frm = PlugFrm::instance();
        const bool append = s_instance ? s_instance->add : true;
        const int pos = Placement::target(append, frm.ListView1->selectedPosition(), frm.ListView1->count());
        if (pos > 0)
            frm.insertRow(pos, text, Colours::Rule, LineKind::Fact);
    }
    editor.Orderload = false;
    AddFact::unload();
    Facts::FillFactChooser();
}
