#include "filechoosers.h"

#include "shell/options.h"

#include <QFileDialog>

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
