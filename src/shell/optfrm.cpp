#include "optfrm.h"

#include "options.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace Browseforfolder {
QString ChooseFolder(const QString &title, QWidget *owner)
{
    QFileDialog dialog(owner, title);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}
} // namespace Browseforfolder

OptFrm::OptFrm(QWidget *parent) : QDialog(parent)
{
    s_current = this;
    setWindowTitle(QStringLiteral("Options"));
    auto *layout = new QGridLayout(this);
    Label1 = new QLabel(QStringLiteral("Chemin initial:"), this);
    Text1 = new QLineEdit(Options::DefaultFolder, this);
    Command1 = new QPushButton(QStringLiteral("..."), this);
    Option1 = new QRadioButton(QStringLiteral("Toujours créer le fichier AI au fichier PER correspondant"), this);
    Option2 = new QRadioButton(QStringLiteral("Demander pour créer le fichier AI au fichier PER correspondant"), this);
    Option3 = new QRadioButton(QStringLiteral("Ne jamais créer le fichier AI au fichier PER correspondant"), this);
    Check1 = new QCheckBox(QStringLiteral("Vérifier le vocabulaire des catalogues"), this);
    Check1->setChecked(Options::viewOption(QStringLiteral("CheckVocabulary"), true));
    Command2 = new QPushButton(QStringLiteral("OK"), this);
    Command3 = new QPushButton(QStringLiteral("Annuler"), this);
    layout->addWidget(Label1, 0, 0);
    layout->addWidget(Text1, 0, 1);
    layout->addWidget(Command1, 0, 2);
    layout->addWidget(Option1, 1, 0, 1, 3);
    layout->addWidget(Option2, 2, 0, 1, 3);
    layout->addWidget(Option3, 3, 0, 1, 3);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Command2);
    buttons->addWidget(Command3);
    layout->addWidget(Check1, 4, 0, 1, 3);
    layout->addLayout(buttons, 5, 0, 1, 3);
    QRadioButton *options[] = {Option1, Option2, Option3};
    const int policy = Options::CompanionFilePolicy;
    if (policy >= 1 && policy <= 3)
        options[policy - 1]->setChecked(true);
    Command2->setDefault(true);
    connect(Command1, &QPushButton::clicked, this, &OptFrm::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &OptFrm::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &QDialog::reject);
}

OptFrm::~OptFrm()
{
    if (s_current == this)
        s_current = nullptr;
}

void OptFrm::unload()
{
    if (s_current)
        s_current->reject();
}

void OptFrm::Command1_Click()
{
    // A cancelled chooser leaves the folder as it was.
    const QString folder = Browseforfolder::ChooseFolder(QStringLiteral("Dossier par défaut"), this);
    if (!folder.isEmpty())
        Text1->setText(folder);
    // Entrée then confirms rather than opening the chooser again.
    Command2->setFocus();
}

void OptFrm::Command2_Click()
{
    Options::CompanionFilePolicy = Option1->isChecked() ? 1 : Option3->isChecked() ? 3 : 2;
    Options::DefaultFolder = Text1->text();
    Options::StoreSettings();
    Options::storeViewOption(QStringLiteral("CheckVocabulary"), Check1->isChecked());
    accept();
}
