#include "filecommands.h"

#include "document/scriptdocument.h"
#include "files/recentfiles.h"
#include "files/saveopen.h"
#include "shell/options.h"

#include <QDir>
#include <QFileInfo>
#include <QScopedValueRollback>

namespace {
// Reading or writing under the busy cursor, which comes back however the
// work ends; messages come after it.
class Busy
{
public:
    explicit Busy(FileDialogs &dialogs) : m_dialogs(dialogs) { m_dialogs.busy(true); }
    ~Busy() { m_dialogs.busy(false); }
    Busy(const Busy &) = delete;
    Busy &operator=(const Busy &) = delete;

private:
    FileDialogs &m_dialogs;
};
} // namespace

FileCommands::FileCommands(ScriptDocument &document, FileDialogs &dialogs, QObject *parent)
    : QObject(parent), m_document(document), m_dialogs(dialogs)
{
}

bool FileCommands::maybeSave()
{
    if (!m_document.isModified())
        return true;
    switch (m_dialogs.askYesNoCancel(QStringLiteral("Le script a été modifié. Voulez-vous enregistrer les modifications ?"))) {
    case FileDialogs::Answer::Yes:
        return save();
    case FileDialogs::Answer::No:
        return true;
    case FileDialogs::Answer::Cancel:
        return false;
    }
    return false;
}

bool FileCommands::newFile()
{
    if (!maybeSave())
        return false;
    m_document.clear();
    return true;
}

bool FileCommands::open(const QString &path)
{
    QString error;
    bool opened = false;
    {
        const Busy busy(m_dialogs);
        opened = m_document.open(path, error);
    }
    if (!opened)
        m_dialogs.tell(error);
    return opened;
}

bool FileCommands::openChosen()
{
    if (!maybeSave())
        return false;
    const QString path = m_dialogs.askOpenFileName();
    return !path.isEmpty() && open(path);
}

bool FileCommands::mayKeepOpenBlocks()
{
    if (m_openBlocksAccepted)
        return true;
    const ScriptModel &rows = m_document.rows();
    const std::vector<Blocks::Diagnostic> &found = rows.structure().diagnostics;
    if (found.empty())
        return true;
    const int first = found.front().row;
    QString text = rows.text(first);
    if (text.size() > 60)
        text = text.left(59) + QChar(0x2026);
    const QString where = found.size() == 1
                              ? QStringLiteral("1 problème, %1 « %2 »").arg(rows.placeOf(first), text)
                              : QStringLiteral("%1 problèmes, le premier %2 « %3 »")
                                    .arg(found.size())
                                    .arg(rows.placeOf(first), text);
    return m_dialogs.askYesNo(QStringLiteral("Le script contient des blocs non fermés: %1. Enregistrer quand même ?")
                                  .arg(where));
}

bool FileCommands::save()
{
    if (m_document.currentFile().isEmpty())
        return saveAs();
    return mayKeepOpenBlocks() && write(m_document.currentFile());
}

bool FileCommands::write(const QString &path)
{
    QString error;
    bool saved = false;
    {
        const Busy busy(m_dialogs);
        saved = m_document.saveAs(path, error);
    }
    if (!saved) {
        m_dialogs.tell(error);
        return false;
    }
    companionFile();
    return true;
}

bool FileCommands::saveAs()
{
    // asked once, before the chooser
    if (!mayKeepOpenBlocks())
        return false;
    const QScopedValueRollback asked(m_openBlocksAccepted, true);
    QString path;
    while (true) {
        path = m_dialogs.askSaveFileName();
        if (path.isEmpty())
            return false;
        if (!QFileInfo::exists(path) || m_dialogs.askYesNo(QStringLiteral("voulez vous écraser le fichier existant?")))
            break;
    }
    return write(path);
}

void FileCommands::companionFile()
{
    const QString companion = SaveOpen::companionFileName(m_document.currentFile());
    if (Options::CompanionFilePolicy == 1) {
        QString error;
        if (!SaveOpen::ensureCompanionFile(companion, error))
            m_dialogs.tell(error);
    } else if (Options::CompanionFilePolicy == 2) {
        m_dialogs.askCompanion(companion);
    }
}

bool FileCommands::openRecent(const QString &path)
{
    if (!QFileInfo(path).isFile()) {
        RecentFiles::remove(path);
        emit recentFilesChanged();
        m_dialogs.tell(QStringLiteral("Le fichier « %1 » n'existe plus : il est retiré de la liste des fichiers récents.")
                           .arg(QDir::toNativeSeparators(path)));
        return false;
    }
    return maybeSave() && open(path);
}

bool FileCommands::openDropped(const QStringList &paths)
{
    if (paths.size() != 1) {
        m_dialogs.tell(QStringLiteral("Déposez un seul fichier .per à la fois."));
        return false;
    }
    const QString &path = paths.first();
    if (QFileInfo(path).suffix().compare(QLatin1String("per"), Qt::CaseInsensitive) != 0) {
        m_dialogs.tell(QStringLiteral("Seuls les fichiers .per s'ouvrent dans l'éditeur : « %1 » n'en est pas un.")
                           .arg(QFileInfo(path).fileName()));
        return false;
    }
    return maybeSave() && open(path);
}
