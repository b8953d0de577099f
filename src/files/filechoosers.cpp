#include "filechoosers.h"

#include "createaifrm.h"
#include "shell/messages.h"
#include "shell/options.h"

#include <QFileDialog>
#include <QApplication>

namespace PublicVars {

namespace {
QString ask(QWidget *parent, const QString &title, QFileDialog::AcceptMode mode)
{
    // Qt's own dialog: the same on every desktop, and one the tests can drive.
    QFileDialog dialog(parent, title, Options::chooserFolder());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // Overwriting is asked by the save command itself.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setNameFilters({QStringLiteral("Fichiers per (*.per)"), QStringLiteral("Tous les fichier (*)")});
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}
} // namespace

QString AskOpenFileName(QWidget *parent)
{
    return ask(parent, QStringLiteral("Ouvrir..."), QFileDialog::AcceptOpen);
}

QString AskSaveFileName(QWidget *parent)
{
    return ask(parent, QStringLiteral("Enregistrer sous..."), QFileDialog::AcceptSave);
}

} // namespace PublicVars

QString WindowFileDialogs::askOpenFileName()
{
    return PublicVars::AskOpenFileName(m_window);
}

QString WindowFileDialogs::askSaveFileName()
{
    return PublicVars::AskSaveFileName(m_window);
}

bool WindowFileDialogs::askYesNo(const QString &question)
{
    return Messages::yesNo(m_window, question);
}

FileDialogs::Answer WindowFileDialogs::askYesNoCancel(const QString &question)
{
    switch (Messages::yesNoCancel(m_window, question)) {
    case Messages::Answer::Yes:
        return Answer::Yes;
    case Messages::Answer::No:
        return Answer::No;
    case Messages::Answer::Cancel:
        break;
    }
    return Answer::Cancel;
}

bool WindowFileDialogs::askOverwrite(const QString &question)
{
    return Messages::yesNo(m_window, question, Messages::Caution);
}

void WindowFileDialogs::tell(const QString &message)
{
    Messages::error(m_window, message);
}

void WindowFileDialogs::askCompanion(const QString &path)
{
    CreateAIFrm ask(m_window);
    ask.Path = path;
    ask.exec();
}

void WindowFileDialogs::busy(bool on)
{
    if (on)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}

bool WindowFileDialogs::inDialog() const
{
    return QApplication::activeModalWidget() != nullptr;
}
