#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

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
    virtual void tell(const QString &message) = 0;
    // Whether to create the companion file at path (the "ask" policy).
    virtual void askCompanion(const QString &path) = 0;
    // Reading or writing a script may take a moment.
    virtual void busy(bool on) = 0;
};

// The file commands of the editor on a document: Nouveau, Ouvrir,
// Enregistrer, Enregistrer sous..., the recent and the dropped files, the
// question about unsaved work and the companion ".ai" file.
class FileCommands : public QObject
{
    Q_OBJECT
public:
    FileCommands(ScriptDocument &document, FileDialogs &dialogs, QObject *parent = nullptr);

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

signals:
    // The list of recent files changed.
    void recentFilesChanged();

private:
    // Before saving blocks that do not balance: whether the user wants to.
    bool mayKeepOpenBlocks();
    // Saves to path, then the companion file by its policy.
    bool write(const QString &path);
    void companionFile();
    ScriptDocument &m_document;
    FileDialogs &m_dialogs;
    // Enregistrer sous... asks about open blocks once, before its chooser.
    bool m_openBlocksAccepted = false;
};
