#include "messages.h"

#include <QMessageBox>
#include <QPushButton>

namespace Messages {

namespace {
const QString Title = QStringLiteral("Vardelo");

void show(QWidget *parent, QMessageBox::Icon icon, const QString &text)
{
    QMessageBox box(icon, Title, text, QMessageBox::NoButton, parent);
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
}
} // namespace

void info(QWidget *parent, const QString &text)
{
    show(parent, QMessageBox::NoIcon, text);
}

void error(QWidget *parent, const QString &text)
{
    show(parent, QMessageBox::Warning, text);
}

bool yesNo(QWidget *parent, const QString &text, Tone tone)
{
    QMessageBox box(tone == Caution ? QMessageBox::Warning : QMessageBox::NoIcon, Title, text, QMessageBox::NoButton, parent);
    QPushButton *yes = box.addButton(QStringLiteral("Oui"), QMessageBox::YesRole);
    QPushButton *no = box.addButton(QStringLiteral("Non"), QMessageBox::NoRole);
    box.setDefaultButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

Answer yesNoCancel(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::Question, Title, text, QMessageBox::NoButton, parent);
    QPushButton *yes = box.addButton(QStringLiteral("Oui"), QMessageBox::YesRole);
    QPushButton *no = box.addButton(QStringLiteral("Non"), QMessageBox::NoRole);
    QPushButton *cancel = box.addButton(QStringLiteral("Annuler"), QMessageBox::RejectRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == yes)
        return Answer::Yes;
    if (box.clickedButton() == no)
        return Answer::No;
    return Answer::Cancel;
}

} // namespace Messages
