#include "gotolinefrm.h"

#include "shell/messages.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

GoToLineFrm::GoToLineFrm(int count, int current, QWidget *parent, bool rows)
    : QDialog(parent), m_count(count), m_noun(rows ? QStringLiteral("rangée") : QStringLiteral("ligne"))
{
    setWindowTitle(QStringLiteral("Aller à la ligne"));
    setModal(true);
    auto *layout = new QGridLayout(this);
    Label1 = new QLabel(QStringLiteral("Numéro de %1 (de 1 à %2) :").arg(m_noun, QString::number(count)), this);
    Text1 = new QLineEdit(QString::number(qBound(1, current, count)), this);
    Label1->setBuddy(Text1);
    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command2 = new QPushButton(QStringLiteral("Annuler"), this);
    Command1->setDefault(true);
    layout->addWidget(Label1, 0, 0, 1, 3);
    layout->addWidget(Text1, 1, 0, 1, 3);
    layout->addWidget(Command1, 2, 1);
    layout->addWidget(Command2, 2, 2);
    layout->setColumnStretch(0, 1);
    connect(Command1, &QPushButton::clicked, this, &GoToLineFrm::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &QDialog::reject);
    Text1->setFocus();
    Text1->selectAll();
}

void GoToLineFrm::Command1_Click()
{
    bool ok = false;
    const int line = Text1->text().trimmed().toInt(&ok);
    if (!ok || line < 1 || line > m_count) {
        Messages::info(this, QStringLiteral("Le numéro de %1 doit être un nombre entier de 1 à %2.").arg(m_noun, QString::number(m_count)));
        Text1->setFocus();
        Text1->selectAll();
        return;
    }
    Line = line;
    accept();
}
