#include "aboutfrm.h"

#include "vardeloversion.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

AboutFrm::AboutFrm(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("A propos de..."));
    auto *layout = new QVBoxLayout(this);
    Label1 = new QLabel(QStringLiteral("Vardelo - plugin de fichiers AI et PER de Kelvarra pour Quorrin, version " VARDELO_VERSION), this);
    Label2 = new QLabel(QStringLiteral("Plugin créé par l'équipe Vardelo"), this);
    Label3 = new QLabel(QStringLiteral("Bêta testeurs: l'équipe Vardelo et les auteurs de scripts qui l'essaient"), this);
    Label4 = new QLabel(QStringLiteral("Soutient moral (encouragements): la communauté des joueurs de Kelvarra"), this);
    Command1 = new QPushButton(QStringLiteral("OK"), this);
    for (QLabel *l : {Label1, Label2, Label3, Label4}) {
        l->setWordWrap(true);
        layout->addWidget(l);
    }
    layout->addWidget(Command1, 0, Qt::AlignRight);
    connect(Command1, &QPushButton::clicked, this, &QDialog::accept);
}
