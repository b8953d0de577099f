#include "addcomm.h"

#include "shell/messages.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

AddComm::AddComm() : ActivatedDialog(EditorSupport::dialogParent())
{
    setWindowTitle(QStringLiteral("Commentaire"));
    setModal(true);
    auto *layout = new QVBoxLayout(this);
    Text1 = new QLineEdit(this);
    Text1->setPlaceholderText(QStringLiteral("Entrez votre commentaire ici"));
    Option1 = new QRadioButton(QStringLiteral("L'insérer après la ligne sélectonnée"), this);
    Option2 = new QRadioButton(QStringLiteral("L'insérer en fin de liste"), this);
    Option3 = new QRadioButton(QStringLiteral("L'insérer à la fin de  la ligne sélectionnée"), this);
    Option2->setChecked(true);
    Command1 = new QPushButton(QStringLiteral("Ajouter"), this);
    Command2 = new QPushButton(QStringLiteral("Annuler"), this);
    Command1->setDefault(true);
    layout->addWidget(Text1);
    layout->addWidget(Option1);
    layout->addWidget(Option2);
    layout->addWidget(Option3);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    layout->addLayout(buttons);
    EditorSupport::keepOnOneLine(Text1);
    connect(Command1, &QPushButton::clicked, this, &AddComm::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &QDialog::reject);
    resize(420, 170);
}

void AddComm::Form_Activate()
{
    confirm = false;
    Text1->clear();
    const bool editing = EditMod::EditingLine;
    Option1->setVisible(!editing);
    Option2->setVisible(!editing);
    Option3->setVisible(!editing);
    if (editing) {
        const QString text = EditorSupport::selectedRowText();
        const bool end = EditorSupport::selectedRowKind() == LineKind::CommE;
        Text1->setText(end && text.startsWith(RowText::EndCommentPrefix) ? text.mid(RowText::EndCommentPrefix.size()) : text);
        m_rowText = text;
        m_filledComment = Text1->text();
    }
    // The box takes the typing at every opening, not only the first (the
    // dialog would give the focus back to the button last pressed).
    Text1->setFocus();
    Text1->selectAll();
}

void AddComm::Command1_Click()
{
    const bool editing = EditMod::EditingLine;
    if (editing && Text1->text() == m_filledComment) {
        accept(); // the row keeps its text, whatever it holds
        return;
    }
    if (Text1->text().isEmpty()) {
        Messages::info(this, QStringLiteral("Veuilez entrer un commentaire!"));
        return;
    }
    if (editing) {
        const bool own = EditorSupport::selectedRowKind() == LineKind::CommN;
        EditorSupport::setSelectedRowText(own ? Text1->text() : RowText::EndCommentPrefix + Text1->text());
    } else {
        confirm = true;
    }
    accept();
}
