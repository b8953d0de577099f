#include "addconst.h"

#include "document/linebuilders.h"
#include "shell/messages.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>

AddConst::AddConst() : ActivatedDialog(EditorSupport::dialogParent())
{
    setWindowTitle(QStringLiteral("Constantes"));
    setModal(true);
    auto *layout = new QGridLayout(this);
    Label1 = new QLabel(QStringLiteral("Nom:"), this);
    Text1 = new QLineEdit(QStringLiteral("Ma_constante"), this);
    Label2 = new QLabel(QStringLiteral("Valeur:"), this);
    Text2 = new QLineEdit(QStringLiteral("0"), this);
    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command2 = new QPushButton(QStringLiteral("Annuler"), this);
    Command1->setDefault(true);
    layout->addWidget(Label1, 0, 0);
    layout->addWidget(Text1, 0, 1, 1, 2);
    layout->addWidget(Label2, 1, 0);
    layout->addWidget(Text2, 1, 1, 1, 2);
    layout->addWidget(Command1, 2, 1);
    layout->addWidget(Command2, 2, 2);
    // Blanks in the name are refused at OK with the reason, never dropped
    // unseen; a pasted line break still becomes a blank.
    EditorSupport::keepOnOneLine(Text1);
    EditorSupport::keepOnOneLine(Text2);
    connect(Command1, &QPushButton::clicked, this, &AddConst::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &QDialog::reject);
    resize(360, 130);
}

void AddConst::Form_Activate()
{
    if (EditMod::EditingLine) {
        const QString text = EditorSupport::selectedRowText();
        const qsizetype from = text.startsWith(RowText::ConstantPrefix) ? RowText::ConstantPrefix.size() : 0;
        const qsizetype eq = text.indexOf(RowText::ConstantSeparator, from);
        Text1->setText(eq < 0 ? text.mid(from) : text.mid(from, eq - from));
        Text2->setText(eq < 0 ? QString() : text.mid(eq + RowText::ConstantSeparator.size()));
        m_rowText = text;
        m_filledName = Text1->text();
        m_filledValue = Text2->text();
    } else {
        confirm = false;
        Text1->setText(QStringLiteral("Ma_constante"));
        Text2->setText(QStringLiteral("0"));
    }
    Text1->setFocus();
    Text1->selectAll();
}

void AddConst::Command1_Click()
{
    const bool editing = EditMod::EditingLine;
    const bool nameChanged = !editing || Text1->text() != m_filledName;
    const bool valueChanged = !editing || Text2->text() != m_filledValue;
    if (nameChanged) {
        const QString problem = Text1->text().isEmpty()
                                    ? QStringLiteral("Veuillez entrer le nom de la constante!")
                                    : EditorSupport::nameProblem(Text1->text(), QStringLiteral("Le nom de la constante"), false);
        if (!problem.isEmpty()) {
            Messages::info(this, problem);
            return;
        }
    }
    if (valueChanged) {
        // a character that would break the line is named, as the other editors do
        const QString problem = LineText::typedValueProblem(Text2->text().trimmed(), true);
        if (!problem.isEmpty()) {
            Messages::info(this, problem);
            return;
        }
    }
    if (valueChanged && !ConstantValue::isQuotedText(Text2->text())) {
        if (!ConstantValue::isNumeric(Text2->text(), QLocale().decimalPoint().at(0))) {
            Messages::info(this, QStringLiteral("La valeur entrée doit être une valeur numérique!"));
            return;
        }
        if (!ConstantValue::inRange(Text2->text())) {
            Messages::info(this, QStringLiteral("La valeur entrée doit être comprise entre -32768 et 32767!"));
            return;
        }
    }
    const bool unchanged = !nameChanged && !valueChanged;
    const QString text = unchanged ? m_rowText : LineText::constant(Text1->text(), Text2->text());
    if (!unchanged && !EditorSupport::readsBack(this, LineKind::Const, text))
        return;
    if (editing)
        EditorSupport::setSelectedRowText(text);
    else
        confirm = true;
    accept();
}
