#include "addfactmain.h"

#include "addfact.h"
#include "document/linebuilders.h"
#include "document/publicvars.h"
#include "document/rowsink.h"
#include "shell/dialogplacement.h"

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
        s_instance = new AddFactMain(EditorSupport::dialogParent());
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
    Option1 = option(RowText::RuleStart, false);
    Option2 = option(QStringLiteral("Fait"), true);
    Option3 = option(RowText::Or, true);
    Option4 = option(RowText::OrEnd, true);
    Option6 = option(RowText::AndNot, true);
    Option7 = option(RowText::AndNotEnd, true);
    Option8 = option(RowText::And, true);
    Option9 = option(RowText::AndEnd, true);
    Option10 = option(RowText::Nor, true);
    Option11 = option(RowText::NorEnd, true);
    Option5 = option(RowText::RuleEnd, false);
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
    // From the keyboard: the arrows choose the option, Entrée adds its row.
    Command1->setDefault(true);
    Option2->setFocus();
    Form_Load();
    // Beside the editor window, not over the rows it adds to.
    DialogPlacement::placeBeside(this, parent);
}

AddFactMain::~AddFactMain()
{
    closeRule();
    if (s_instance == this)
        s_instance = nullptr;
}

void AddFactMain::Form_Load()
{
    Facts::FillFactChooser();
}

void AddFactMain::addStructureRow(const QString &appendText, const QString &insertText, int kind)
{
    RowSink *sink = RowSink::current();
    if (sink && sink->placeRow(add, add ? appendText : insertText, Colours::Rule, LineKind(kind)) > 0)
        sink->selectNewRow(add);
}

void AddFactMain::openRule()
{
    closeRule(); // a rule started without ending the last one
    if (RowSink *sink = RowSink::current()) {
        sink->openStep();
        m_ruleOpen = true;
    }
}

void AddFactMain::closeRule()
{
    if (!m_ruleOpen)
        return;
    m_ruleOpen = false;
    if (RowSink *sink = RowSink::current())
        sink->closeStep();
}

void AddFactMain::Command1_Click()
{
    add = !ins;
    // The structure rows: each option's row as appended and as inserted.
    const struct {
        QRadioButton *option;
        const QString &appended, &inserted;
        LineKind kind;
    } structure[] = {
        {Option1, RowText::RuleStart, RowText::RuleStart, LineKind::FactB},
        {Option5, RowText::RuleEnd, RowText::RuleEnd, LineKind::FactE},
        {Option3, RowText::Or, RowText::Or, LineKind::FactOB},
        {Option4, RowText::OrEnd, RowText::OrEnd, LineKind::FactOE},
        {Option6, RowText::AndNot, RowText::AndNotInserted, LineKind::FactAB},
        {Option7, RowText::AndNotEnd, RowText::AndNotEndInserted, LineKind::FactAE},
        {Option8, RowText::And, RowText::And, LineKind::FactTB},
        {Option9, RowText::AndEnd, RowText::AndEnd, LineKind::FactTE},
        {Option10, RowText::Nor, RowText::Nor, LineKind::FactNB},
        {Option11, RowText::NorEnd, RowText::NorEnd, LineKind::FactNE},
    };
    for (const auto &row : structure) {
        if (!row.option->isChecked())
            continue;
        if (row.kind == LineKind::FactB)
            openRule();
        addStructureRow(row.appended, row.inserted, int(row.kind));
        if (row.kind == LineKind::FactE)
            closeRule();
        return;
    }
    if (Option2->isChecked()) {
        AddFact &editor = AddFact::instance();
        editor.Orderload = true;
        editor.exec();
        // A cancelled fact leaves the editor loaded, hidden, and held.
        if (!editor.Cancel)
            FactParse();
        // The fact editor stands over the editor window, which would take the
        // focus back; the next fact is composed from here.
        activateWindow();
        raise();
    }
}

void AddFactMain::Command3_Click()
{
    // Inserting goes before the selected row: without one nothing is added.
    const RowSink *sink = RowSink::current();
    if (!sink || sink->selectedRow() == 0)
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
    // A rule left unfinished is one step all the same.
    closeRule();
    event->accept();
    if (s_instance == this)
        s_instance = nullptr; // deleted once the event loop comes back
}

void AddFactMain::FactParse()
{
    const QString text = AddFact::instance().factLine();
    if (RowSink *sink = RowSink::current())
        sink->placeRow(s_instance ? s_instance->add : true, text, Colours::Rule, LineKind::Fact);
    AddFact::release();
}
