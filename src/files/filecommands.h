#pragma once

#include "diskwatch.h"
#include "recovery.h"
#include "scriptlock.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <optional>

class RecoveryWriter;
class ScriptDocument;

// What the file commands ask of the user: the choosers, the questions and
// the messages. The editor window answers with its dialogs; tests answer in
// code.
class FileDialogs
{
public:
    enum class Answer { Yes, No, Cancel };
    virtual ~FileDialogs() = default;
    // A script to open, or to save to; "" when the user cancels.
    virtual QString askOpenFileName() = 0;
    virtual QString askSaveFileName() = 0;
    virtual bool askYesNo(const QString &question) = 0;
    virtual Answer askYesNoCancel(const QString &question) = 0;
    // Whether to write over a file another program changed (Non unless the
    // user chooses Oui).
    virtual bool askOverwrite(const QString &question) = 0;
    virtual void tell(const QString &message) = 0;
    // Whether to create the companion file at path (the "ask" policy).
    virtual void askCompanion(const QString &path) = 0;
    // Reading or writing a script may take a moment.
    virtual void busy(bool on) = 0;
    // Whether the user is in a dialog: the script's file changed on disk
    // is read again only once it is closed, never under a row's dialog.
    virtual bool inDialog() const { return false; }
};

// The file commands of the editor on a document: Nouveau, Ouvrir,
// Enregistrer, Enregistrer sous..., the recent and the dropped files, the
// question about unsaved work and the companion ".ai" file. Besides, what
// keeps the user's work whole when something else gets in the way: its
// recovery file, the script's file watched on disk and asked about before
// it is written over, and the lock that tells another editor the script is
// open here.
class FileCommands : public QObject
{
    Q_OBJECT
public:
    FileCommands(ScriptDocument &document, FileDialogs &dialogs, QObject *parent = nullptr);
    ~FileCommands() override;

    // What the window's bars say, without stopping the user.
    enum class Notice {
        Recovery,           // work left behind, to get back or ignore
        RecoveryUnreadable, // a recovery file that cannot be read, kept aside
        RecoveryListed,     // work left behind only listed: older than its script, or of a script gone
        Reloaded,           // the script changed on disk and was read again
        ChangedOutside,     // it changed on disk under unsaved changes
        RemovedOutside,     // it was removed or moved away
    };

    // Asks whether to save unsaved changes; false when the user cancels, or
    // a save he asked for did not happen.
    bool maybeSave();
    // Each returns whether it did what it says.
    bool newFile();
    // Reads path; says why when it cannot.
    bool open(const QString &path);
    // After the question about unsaved work: a chosen script.
    bool openChosen();
    bool save();
    bool saveAs();
    // A recent file: one gone is taken out of the list, saying so.
    bool openRecent(const QString &path);
    // Files dropped on the window: one ".per" file, else a word why not.
    bool openDropped(const QStringList &paths);

    // Looks for the work on a script in no file that an editor left behind
    // (the editor starts); offers the newest. Else says whether there is
    // work on scripts no longer where they were.
    void lookForRecovery();
    // "Récupérer": the work offered loaded as unsaved changes of its script.
    bool recover();
    // "Ignorer": the script stays as it is; the work offered is dropped.
    void ignoreRecovery();
    // "Travail non enregistré...": the work of any script left behind,
    // wherever its script is now. Each returns whether it did it.
    QList<Recovery::Left> leftBehind() const { return Recovery::allLeftBehind(); }
    // After the question about unsaved work: that work loaded as unsaved
    // changes of its script, and taken as this editor's own.
    bool recoverFile(const QString &file);
    // The work in that file dropped for good; says why when it cannot be.
    bool removeLeftBehind(const QString &file);
    // "Recharger": the script read again from its file, asking first when
    // unsaved changes would go.
    bool reload();
    // Before the editor goes: unsaved work the user did not drop stays in
    // its recovery file; the script's lock is released. Once.
    void finish();
    RecoveryWriter &recovery() { return *m_recovery; }

signals:
    // The list of recent files changed.
    void recentFilesChanged();
    void notice(FileCommands::Notice kind, const QString &message);
    // A recovery file or the script's lock could not be written (said
    // once until one is).
    void recoveryFailed(const QString &message);
    // The script was written to its file: what the file held before no
    // longer matters.
    void fileWritten();

private:
    // Offers the newest work on script left behind when it is newer than
    // the script's file, and says which recovery files cannot be read.
    void offerRecovery(const QString &script);
    void changedOnDisk(DiskWatch::Change change);
    // Before "Enregistrer" writes over its file: whether the file still
    // holds what was read or written here, or the user agrees to lose
    // what another program put there.
    bool mayOverwrite();
    // Before saving blocks that do not balance: whether the user wants to.
    bool mayKeepOpenBlocks();
    // Reads path into the document under the busy cursor; says why not.
    bool read(const QString &path);
    // Saves to path, then the companion file by its policy.
    bool write(const QString &path);
    void companionFile();
    // Loads the work in file as unsaved changes of script (by default the
    // one the file names).
    bool take(const QString &file, const std::optional<QString> &script);
    ScriptDocument &m_document;
    FileDialogs &m_dialogs;
    // Enregistrer sous... asks about open blocks once, before its chooser.
    bool m_openBlocksAccepted = false;
    RecoveryWriter *m_recovery;
    DiskWatch *m_watch;
    // What changed on disk while the user was in a dialog, said once he
    // leaves it.
    DiskWatch::Change m_pendingChange = DiskWatch::Change::None;
    QTimer *m_afterDialog;
    ScriptLock m_lock;
    // Takes the script's lock, saying once why it cannot; one another
    // editor holds is tried again until that editor lets it go.
    void followLock();
    QTimer *m_lockAgain;
    bool m_lockFailing = false;
    // The work offered back, and the script it belongs to.
    std::optional<Recovery::Left> m_offered;
    QString m_offeredFor;
    bool m_finished = false;
};
