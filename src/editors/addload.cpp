#include "addload.h"

#include "editorsupport.h"
#include "document/linebuilders.h"
#include "document/scriptlistview.h"
#include "files/filechoosers.h"
#include "shell/fileservices.h"
#include "shell/messages.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>

AddLoad::AddLoad(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Chargement"));
    setModal(true);
    auto *layout = new QGridLayout(this);
    Text1 = new QLineEdit(this);
    Command1 = new QPushButton(QStringLiteral("..."), this);
    Command2 = new QPushButton(QStringLiteral("OK"), this);
    Command3 = new QPushButton(QStringLiteral("Annuler"), this);
    Command2->setDefault(true);
    layout->addWidget(Text1, 0, 0, 1, 2);
    layout->addWidget(Command1, 0, 2);
    layout->addWidget(Command2, 1, 1);
    layout->addWidget(Command3, 1, 2);
    EditorSupport::keepOnOneLine(Text1);
    connect(Command1, &QPushButton::clicked, this, &AddLoad::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &AddLoad::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &QDialog::reject);
    if (EditMod::EditingLine) {
        m_rowText = EditorSupport::selectedRowText();
        Text1->setText(m_rowText);
    }
    Text1->setFocus();
    resize(420, 90);
}

void AddLoad::Command1_Click()
{
    // The game finds the scripts a load names in its own folder.
    const QString path = PublicVars::AskOpenFileName(this);
    if (!path.isEmpty())
        Text1->setText(FileServices::baseName(path));
    // With a name to confirm, Entrée confirms it instead of pressing "..."
    // again.
    (Text1->text().isEmpty() ? static_cast<QWidget *>(Text1) : Command2)->setFocus();
}

void AddLoad::Command2_Click()
{
    if (EditMod::EditingLine && Text1->text() == m_rowText) {
        accept();
        return;
    }
    const QString name = Text1->text().trimmed();
    if (name.isEmpty()) {
        Messages::info(this, QStringLiteral("Veuillez etrer une valeur ou cliquer sur annuler!"));
        return;
    }
    const QString problem = EditorSupport::nameProblem(name, QStringLiteral("Le nom du fichier chargé"), true);
    if (!problem.isEmpty()) {
        Messages::info(this, problem);
        return;
    }
    if (!EditorSupport::readsBack(this, LineKind::Load, name))
        return;
    EditorSupport::rewriteOrPlace(add, name, Colours::Load, LineKind::Load);
    accept();
}
