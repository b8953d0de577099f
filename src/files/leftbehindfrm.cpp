#include "leftbehindfrm.h"

#include "filecommands.h"
#include "shell/messages.h"

#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

LeftBehindFrm::LeftBehindFrm(FileCommands &commands, QWidget *parent) : QDialog(parent), m_commands(commands)
{
    setWindowTitle(QStringLiteral("Travail non enregistré"));
    setModal(true);
    resize(640, 300);
    auto *layout = new QVBoxLayout(this);
    Label1 = new QLabel(this);
    Label1->setWordWrap(true);
    List1 = new QTreeWidget(this);
    List1->setRootIsDecorated(false);
    List1->setHeaderLabels({QStringLiteral("Script"), QStringLiteral("Copie de secours du"), QStringLiteral("Taille")});
    List1->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    List1->header()->setStretchLastSection(false);
    Command1 = new QPushButton(QStringLiteral("Récupérer"), this);
    Command2 = new QPushButton(QStringLiteral("Supprimer"), this);
    Command3 = new QPushButton(QStringLiteral("Fermer"), this);
    Command1->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton *b : {Command1, Command2, Command3})
        buttons->addWidget(b);
    layout->addWidget(Label1);
    layout->addWidget(List1, 1);
    layout->addLayout(buttons);
    connect(Command1, &QPushButton::clicked, this, &LeftBehindFrm::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &LeftBehindFrm::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &QDialog::reject);
    connect(List1, &QTreeWidget::itemDoubleClicked, this, &LeftBehindFrm::Command1_Click);
    connect(List1, &QTreeWidget::currentItemChanged, this, [this] {
        const Recovery::Left *l = selected();
        Command1->setEnabled(l && l->unreadable.isEmpty());
        Command2->setEnabled(l != nullptr);
    });
    fill();
}

void LeftBehindFrm::fill()
{
    m_left = m_commands.leftBehind();
    List1->clear();
    const QLocale french(QLocale::French);
    for (const Recovery::Left &l : m_left) {
        const bool readable = l.unreadable.isEmpty();
        auto *item = new QTreeWidgetItem(List1);
        item->setText(0, !readable            ? QStringLiteral("(illisible) %1").arg(QDir::toNativeSeparators(l.file))
                         : l.script.isEmpty() ? QStringLiteral("Sans titre")
                                              : QDir::toNativeSeparators(l.script));
        item->setText(1, readable ? french.toString(l.time.toLocalTime(), QStringLiteral("dd/MM/yyyy HH:mm:ss")) : QString());
        item->setText(2, readable ? QStringLiteral("%1 octets").arg(french.toString(l.size)) : QString());
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        item->setToolTip(0, readable ? QDir::toNativeSeparators(l.file) : l.unreadable);
    }
    Label1->setText(m_left.isEmpty() ? QStringLiteral("Aucun travail non enregistré n'a été laissé par un éditeur.")
                                     : QStringLiteral("Le travail qu'un éditeur a laissé sans l'enregistrer, le plus "
                                                      "récent d'abord:"));
    if (!m_left.isEmpty())
        List1->setCurrentItem(List1->topLevelItem(0));
    Command1->setEnabled(!m_left.isEmpty() && m_left.first().unreadable.isEmpty());
    Command2->setEnabled(!m_left.isEmpty());
}

const Recovery::Left *LeftBehindFrm::selected() const
{
    const int row = List1->indexOfTopLevelItem(List1->currentItem());
    return row >= 0 && row < m_left.size() ? &m_left[row] : nullptr;
}

void LeftBehindFrm::Command1_Click()
{
    const Recovery::Left *l = selected();
    if (l && l->unreadable.isEmpty() && m_commands.recoverFile(l->file))
        accept();
}

void LeftBehindFrm::Command2_Click()
{
    const Recovery::Left *l = selected();
    if (!l || !Messages::yesNo(this, QStringLiteral("Supprimer définitivement ce travail non enregistré ?"),
                               Messages::Caution))
        return;
    m_commands.removeLeftBehind(l->file);
    fill();
}
