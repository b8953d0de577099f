#include "addfact.h"

#include "catalogues/facts.h"
#include "document/linebuilders.h"
#include "document/publicvars.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>

AddFact &AddFact::instance()
{
    if (!s_instance)
        s_instance = new AddFact;
    return *s_instance;
}

void AddFact::unload()
{
    if (!s_instance)
        return;
    if (s_instance->Orderload && !PublicVars::closing()) {
        s_instance->hide();
        return;
    }
    delete s_instance;
}

AddFact::AddFact() : ParamDialog(4, Facts::FactTable, LineKind::Fact, EditorSupport::dialogParent())
{
    setWindowTitle(QStringLiteral("Fait"));
    setModal(true);
    Text2 = helpBox();
    combo_param_1 = listField(1);
    combo_param_2 = listField(2);
    combo_param_3 = listField(3);
    combo_param_4 = listField(4);
    text_combo_1 = textField(1);
    text_combo_2 = textField(2);
    text_combo_3 = textField(3);
    text_combo_4 = textField(4);
    Check1 = new QCheckBox(QStringLiteral("Vérifier l'inverse"), this);
    m_layout->addWidget(Check1, 8, 0, 1, 2);
    connect(Command1, &QPushButton::clicked, this, &AddFact::Command1_Click);
    resize(560, 380);
}

AddFact::~AddFact()
{
    if (s_instance == this)
        s_instance = nullptr;
}

void AddFact::Form_Activate()
{
    resetFields();
    // a new fact starts plain, whatever the last opening left ticked
    Check1->setChecked(false);
    if (!EditMod::EditingLine)
        return;
    const QString text = EditorSupport::selectedRowText();
    const bool negated = text.startsWith(RowText::NegationPrefix);
    Check1->setChecked(negated);
    fillFrom(text, QStringView(text).mid(negated ? RowText::NegationPrefix.size() : 0));
}

QString AddFact::builtLine() const
{
    return Check1->isChecked() ? RowText::NegationPrefix + line() : line();
}

QString AddFact::factLine() const
{
    return resultLine();
}

void AddFact::release()
{
    if (s_instance)
        s_instance->Orderload = false;
    unload();
    Facts::FillFactChooser();
}

void AddFact::Command1_Click()
{
    if (!acceptable())
        return;
    t1 = quint8(fieldKind(1));
    t2 = quint8(fieldKind(2));
    t3 = quint8(fieldKind(3));
    t4 = quint8(fieldKind(4));
    t5 = Check1->isChecked() ? 1 : 0;
    accept();
}

void Facts::FillFactChooser()
{
    AddFact::instance().fillChooser(FactTable, FactCount);
}
