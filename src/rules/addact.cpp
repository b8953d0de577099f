#include "addact.h"

#include "catalogues/acts.h"
#include "document/publicvars.h"

#include <QComboBox>
#include <QPushButton>

AddAct::AddAct() : ParamDialog(3, Acts::ActTable, LineKind::Act, EditorSupport::dialogParent())
{
    setWindowTitle(QStringLiteral("Actions"));
    setModal(true);
    Text1 = helpBox();
    combo_param_1 = listField(1);
    combo_param_2 = listField(2);
    combo_param_3 = listField(3);
    text_combo_1 = textField(1);
    text_combo_2 = textField(2);
    text_combo_3 = textField(3);
    connect(Command1, &QPushButton::clicked, this, &AddAct::Command1_Click);
    resize(560, 340);
}

void AddAct::Form_Activate()
{
    resetFields();
    if (!EditMod::EditingLine)
        return;
    const QString text = EditorSupport::selectedRowText();
    fillFrom(text, text);
}

void AddAct::Command1_Click()
{
    // Empty typed values would make a broken action line.
    if (!acceptable())
        return;
    t1 = qint16(fieldKind(1));
    t2 = qint16(fieldKind(2));
    t3 = qint16(fieldKind(3));
    accept();
}

void Acts::FillActChooser()
{
    AddAct::instance().fillChooser(ActTable, ActCount);
}
