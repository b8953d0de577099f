#include "filecommands.h"

#include "document/scriptdocument.h"
#include "files/recentfiles.h"
#include "files/recoverywriter.h"
#include "files/saveopen.h"
#include "shell/fileservices.h"
#include "shell/options.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
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

QString named(const QString &path)
{
    return QStringLiteral("« %1 »").arg(QFileInfo(path).fileName());
}

// When a recovery file was written, as its bar says it.
QString written(const QDateTime &time)
{
    return QLocale(QLocale::French).toString(time.toLocalTime(), QStringLiteral("d MMMM yyyy 'à' HH:mm:ss"));
}
} // namespace

FileCommands::FileCommands(ScriptDocument &document, FileDialogs &dialogs, QObject *parent)
    : QObject(parent), m_document(document), m_dialogs(dialogs), m_recovery(new RecoveryWriter(document, this)),
      m_watch(new DiskWatch(document, this)), m_afterDialog(new QTimer(this)), m_lockAgain(new QTimer(this))
{
    m_lockAgain->setInterval(2000);
    connect(m_lockAgain, &QTimer::timeout, this, &FileCommands::followLock);
    m_afterDialog->setInterval(250);
    connect(m_afterDialog, &QTimer::timeout, this, [this] {
        if (!m_dialogs.inDialog()) {
            m_afterDialog->stop();
            changedOnDisk(std::exchange(m_pendingChange, DiskWatch::Change::None));
        }
    });
    connect(m_recovery, &RecoveryWriter::failed, this, &FileCommands::recoveryFailed);
    connect(m_watch, &DiskWatch::changed, this, &FileCommands::changedOnDisk);
    connect(&document, &ScriptDocument::fileChanged, this, [this] {
        followLock();
        if (m_offered && m_document.currentFile() != m_offeredFor)
            m_offered.reset(); // the offer was about another script
    });
    followLock();
}

void FileCommands::followLock()
{
    m_lock.follow(m_finished ? QString() : m_document.currentFile());
    const bool waiting = !m_lock.holds() && !m_finished && !m_document.currentFile().isEmpty();
    if (waiting && m_lock.error().isEmpty())
        m_lockAgain->start();
    else
        m_lockAgain->stop();
    if (m_lock.error().isEmpty() || m_finished) {
        m_lockFailing = false;
        return;
    }
    if (!std::exchange(m_lockFailing, true))
        emit recoveryFailed(QStringLiteral("Le verrou du script ne peut pas être pris: %1. Un autre éditeur qui "
                                           "l'ouvrirait ne sera pas averti qu'il est ouvert ici.")
                                .arg(m_lock.error()));
}

FileCommands::~FileCommands()
{
    finish();
}

void FileCommands::finish()
{
    if (std::exchange(m_finished, true))
        return;
    m_recovery->finish();
    followLock();
}

bool FileCommands::maybeSave()
{
    if (!m_document.isModified())
        return true;
    switch (m_dialogs.askYesNoCancel(QStringLiteral("Le script a été modifié. Voulez-vous enregistrer les modifications ?"))) {
    case FileDialogs::Answer::Yes:
        return save();
    case FileDialogs::Answer::No:
        m_recovery->discard();
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
    if (const auto holder = m_lock.holder(path);
        holder && !m_dialogs.askYesNo(QStringLiteral("Le script %1 est déjà ouvert dans un autre éditeur (processus %2, %3). "
                                                     "L'ouvrir quand même ?")
                                          .arg(named(path), QString::number(holder->pid), holder->program)))
        return false;
    if (!read(path))
        return false;
    offerRecovery(path);
    return true;
}

bool FileCommands::read(const QString &path)
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
                                    .arg(QString::number(found.size()), rows.placeOf(first), text);
    return m_dialogs.askYesNo(QStringLiteral("Le script contient des blocs non fermés: %1. Enregistrer quand même ?")
                                  .arg(where));
}

bool FileCommands::save()
{
    if (m_document.currentFile().isEmpty())
        return saveAs();
    return mayKeepOpenBlocks() && mayOverwrite() && write(m_document.currentFile());
}

bool FileCommands::mayOverwrite()
{
    // A file removed is simply written again; one that cannot be read is
    // left to the write to report.
    QByteArray now;
    QString error;
    if (!QFileInfo::exists(m_document.currentFile())
        || !FileServices::readFileBytes(m_document.currentFile(), now, error) || now == m_document.fileBytes())
        return true;
    return m_dialogs.askOverwrite(
        QStringLiteral("Le fichier a été modifié par un autre programme depuis son ouverture. L'écraser ?"));
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
    emit fileWritten();
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

void FileCommands::lookForRecovery()
{
    if (!m_document.currentFile().isEmpty() || m_document.isModified())
        return;
    offerRecovery(QString());
    if (m_offered)
        return;
    // Work on scripts no longer where they were: opening them cannot offer
    // it, so the bar says where it is.
    QStringList gone;
    for (const Recovery::Left &l : Recovery::allLeftBehind())
        if (l.unreadable.isEmpty() && !l.script.isEmpty() && !QFileInfo(l.script).isFile() && !gone.contains(l.script))
            gone << l.script;
    if (gone.isEmpty())
        return;
    const QString which = gone.size() == 1
                              ? QStringLiteral("de %1, qui n'est plus à sa place,").arg(named(gone.first()))
                              : QStringLiteral("de %1 scripts qui ne sont plus à leur place").arg(gone.size());
    emit notice(Notice::RecoveryListed,
                QStringLiteral("Des modifications non enregistrées %1 ont été retrouvées: « Fichier » > « Travail non "
                               "enregistré... » permet de les récupérer ou de les supprimer.")
                    .arg(which));
}

void FileCommands::offerRecovery(const QString &script)
{
    m_offered.reset();
    m_offeredFor = script;
    const QList<Recovery::Left> left = Recovery::leftBehind(script);
    const QDateTime scriptTime = QFileInfo(script).lastModified();
    QString message;
    const bool older = !left.isEmpty() && left.first().unreadable.isEmpty() && !script.isEmpty()
                       && left.first().time <= scriptTime;
    if (older)
        // Not offered over the file, which changed since, but never hidden.
        message = QStringLiteral("Des modifications de %1 plus anciennes que le fichier ont été retrouvées (copie de "
                                 "secours du %2): le fichier a été modifié depuis. « Fichier » > « Travail non "
                                 "enregistré... » permet de les récupérer ou de les supprimer.")
                      .arg(named(script), written(left.first().time));
    if (!left.isEmpty() && left.first().unreadable.isEmpty() && !older) {
        m_offered = left.first();
        const QString when = written(m_offered->time);
        message = script.isEmpty()
                      ? QStringLiteral("Un script sans titre jamais enregistré a été retrouvé (copie de secours du %1): "
                                       "l'éditeur s'est arrêté sans l'enregistrer.")
                            .arg(when)
                      : QStringLiteral("Des modifications de %1 qui n'ont pas été enregistrées ont été retrouvées (copie de "
                                       "secours du %2): l'éditeur s'est arrêté sans les enregistrer.")
                            .arg(named(script), when);
    }
    // Unreadable ones are said and kept aside, never thrown away.
    for (const Recovery::Left &l : left) {
        if (l.unreadable.isEmpty())
            continue;
        QString aside, error;
        message += (message.isEmpty() ? QString() : QStringLiteral("\n"))
                   + (Recovery::setAside(l.file, aside, error)
                          ? QStringLiteral("%1; il est mis de côté dans \"%2\".")
                                .arg(l.unreadable, QDir::toNativeSeparators(aside))
                          : QStringLiteral("%1; %2.").arg(l.unreadable, error));
    }
    if (!message.isEmpty())
        emit notice(m_offered ? Notice::Recovery : older ? Notice::RecoveryListed : Notice::RecoveryUnreadable, message);
}

bool FileCommands::recover()
{
    if (!m_offered || !maybeSave())
        return false;
    const Recovery::Left offered = *m_offered;
    m_offered.reset();
    return take(offered.file, m_offeredFor);
}

bool FileCommands::recoverFile(const QString &file)
{
    return maybeSave() && take(file, std::nullopt);
}

bool FileCommands::take(const QString &file, const std::optional<QString> &script)
{
    Recovery::Saved saved;
    QString error;
    if (!Recovery::read(file, saved, error)) {
        m_dialogs.tell(error);
        return false;
    }
    m_document.loadUnsaved(std::move(saved.bytes), saved.encoding, script.value_or(saved.script), saved.scriptEncoding);
    // Written as this editor's own at once; the one left behind goes after.
    m_recovery->writeNow(file);
    return true;
}

bool FileCommands::removeLeftBehind(const QString &file)
{
    QFile f(file);
    if (f.remove() || !f.exists())
        return true;
    m_dialogs.tell(QStringLiteral("Impossible de supprimer le fichier \"%1\": %2")
                       .arg(QDir::toNativeSeparators(file), FileServices::reasonInFrench(f.errorString(), errno)));
    return false;
}

void FileCommands::ignoreRecovery()
{
    if (!m_offered)
        return;
    if (!m_offeredFor.isEmpty()) {
        // every earlier state of the same script's work with it
        for (const Recovery::Left &l : Recovery::leftBehind(m_offeredFor))
            if (l.unreadable.isEmpty())
                QFile::remove(l.file);
        m_offered.reset();
        return;
    }
    QFile::remove(m_offered->file);
    offerRecovery(QString()); // another script in no file, maybe
}

bool FileCommands::reload()
{
    if (m_document.currentFile().isEmpty())
        return false;
    if (m_document.isModified()
        && !m_dialogs.askYesNo(QStringLiteral("Relire le fichier abandonnera les modifications faites ici depuis le dernier "
                                              "enregistrement. Le relire quand même ?")))
        return false;
    return read(m_document.currentFile());
}

void FileCommands::changedOnDisk(DiskWatch::Change change)
{
    const QString name = named(m_document.currentFile());
    if (change == DiskWatch::Change::Removed) {
        // What the editor shows is now nowhere else: closing asks about it,
        // and its recovery file is written at once.
        m_pendingChange = DiskWatch::Change::None;
        m_document.markUnsaved();
        m_recovery->writeNow();
        emit notice(Notice::RemovedOutside,
                    QFileInfo::exists(m_document.currentFile())
                        ? QStringLiteral("Le fichier %1 a été remplacé par un dossier ou un fichier spécial par un autre "
                                         "programme: « Enregistrer sous... » écrit le script ailleurs.")
                              .arg(name)
                        : QStringLiteral("Le fichier %1 a été supprimé ou déplacé par un autre programme: « Enregistrer » "
                                         "l'écrira de nouveau.")
                              .arg(name));
        return;
    }
    if (m_dialogs.inDialog()) {
        // The rows a dialog was opened on stay where they are until it closes.
        m_pendingChange = change;
        m_afterDialog->start();
        return;
    }
    if (change == DiskWatch::Change::None)
        return;
    if (!m_document.isModified() && m_document.rows().count() > 0 && QFileInfo(m_document.currentFile()).size() == 0) {
        // An emptied file leaves the list the only copy of the script:
        // kept, unsaved, and read again only if the user asks.
        m_document.markUnsaved();
        m_recovery->writeNow();
        emit notice(Notice::ChangedOutside,
                    QStringLiteral("Le fichier %1 a été vidé par un autre programme: la liste est gardée. « Recharger » "
                                   "le relit (la liste deviendra vide); « Enregistrer » demandera avant d'écraser le "
                                   "fichier.")
                        .arg(name));
        return;
    }
    QString error;
    if (!m_document.isModified() && m_document.open(m_document.currentFile(), error)) {
        emit notice(Notice::Reloaded,
                    QStringLiteral("Le fichier %1 a été modifié par un autre programme: il a été relu.").arg(name));
        return;
    }
    emit notice(Notice::ChangedOutside,
                QStringLiteral("Le fichier %1 a été modifié par un autre programme. « Recharger » le relit et abandonne "
                               "les modifications faites ici; « Ignorer » les garde, et « Enregistrer » demandera avant "
                               "d'écraser le fichier.")
                    .arg(name));
}
