#include "createaifrm.h"

#include "files/saveopen.h"
#include "shell/messages.h"
#include "shell/options.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

CreateAIFrm::CreateAIFrm(QWidget *parent) : QDialog(parent)
{
    s_current = this;
    setWindowTitle(QStringLiteral("Plugin PER"));
    auto *layout = new QGridLayout(this);
    label1 = new QLabel(QStringLiteral("Créer le fichier AI correspondant?"), this);
    Command1 = new QPushButton(QStringLiteral("Oui"), this);
    Command2 = new QPushButton(QStringLiteral("Non"), this);
    Check1 = new QCheckBox(QStringLiteral("Toujours employer la réponse donnée"), this);
    layout->addWidget(label1, 0, 0, 1, 2);
    layout->addWidget(Command1, 1, 0);
    layout->addWidget(Command2, 1, 1);
    layout->addWidget(Check1, 2, 0, 1, 2);
    connect(Command1, &QPushButton::clicked, this, &CreateAIFrm::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &CreateAIFrm::Command2_Click);
}

CreateAIFrm::~CreateAIFrm()
{
    if (s_current == this)
        s_current = nullptr;
}

void CreateAIFrm::unload()
{
    if (s_current)
        s_current->reject();
}

void CreateAIFrm::Command1_Click()
{
    // An existing companion already serves the game and may hold the user's
    // work: it is left as it is.
    QString error;
    if (!SaveOpen::ensureCompanionFile(Path, error))
        Messages::error(this, error);
    if (Check1->isChecked())
        Options::CompanionFilePolicy = 1;
    accept();
}

void CreateAIFrm::Command2_Click()
{
    if (Check1->isChecked())
        Options::CompanionFilePolicy = 3;
    accept();
}
