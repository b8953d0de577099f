#pragma once

#include "scripthistory.h"
#include "scriptmodel.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <atomic>
#include <memory>

class QThread;
class ScriptProblems;

namespace SaveOpen {
struct SaveText;
}

// A script: its rows with the source of each part, their undo history, the
// file they are read from and saved to, whether they changed since, and the
// parts kept as read that the user agreed to change. It needs no window:
// the editor window shows it, the file commands act on it, the command line
// reads files through it.
class ScriptDocument : public QObject
{
    Q_OBJECT
public:
    explicit ScriptDocument(QObject *parent = nullptr);
    ~ScriptDocument() override;

    ScriptModel &rows() { return m_rows; }
    const ScriptModel &rows() const { return m_rows; }
    ScriptHistory &history() { return m_history; }
    // Its problems, kept current as the rows change.
    ScriptProblems &problems() { return *m_problems; }
    // The file's bytes as read, its encoding, byte-order mark and line ends
    // (a new script: Windows-1252 with CR LF).
    const ScriptSource &source() const { return m_rows.source(); }

    // The script file "Enregistrer" writes; empty when there is none.
    const QString &currentFile() const { return m_currentFile; }

    // Whether the rows changed since they were read, saved or cleared.
    // Undoing back to that point clears it again.
    bool isModified() const { return m_modified; }
    // Clearing it makes the rows as they are now the saved ones.
    void setModified(bool modified);

    // Before a change to part form: whether the user must first agree,
    // because saving keeps it as read (the editor's layout would change its
    // content) and he has not agreed yet.
    // A part not judged yet is judged first.
    bool needsConsent(int form);
    void consent(int form);

    // Reads path into the rows (the file's parts checked, unless check is
    // false); false with a French message naming the file, and nothing
    // changed, when it cannot be read.
    bool open(const QString &path, QString &error, bool check = true);
    // Whether open checks the parts on a thread after the rows are in place
    // (for a window: the list shows first), rather than before it returns.
    void setJudgeAfterOpening(bool later) { m_judgeLater = later; }
    // Whether the parts are still being checked on that thread.
    bool judging() const { return m_judging != nullptr; }
    // The bytes saving writes now: untouched rows as read, the others in
    // the editor's layout; false with a French message naming the row that
    // holds a character the file's encoding cannot hold.
    bool bytes(SaveOpen::SaveText &saved, QString &error) const;
    // Writes the rows to path, which becomes the current file; false with a
    // French message, and nothing changed, when it cannot be written.
    bool saveAs(const QString &path, QString &error);
    bool save(QString &error) { return saveAs(m_currentFile, error); }
    // An empty script with no file.
    void clear();

    // The bytes the current file held when it was last read or written
    // here: what "Enregistrer" expects to find before writing over it.
    const QByteArray &fileBytes() const { return m_fileBytes; }
    // Work saved aside (the bytes a save would have written, in encoding)
    // as unsaved changes of path, "" for a script in no file: every part
    // untouched since is saved as those bytes hold it. Bytes in another
    // encoding than the script's (scriptEncoding) are taken into its own;
    // the parts it cannot hold are saved as edited ones, which names them.
    void loadUnsaved(QByteArray bytes, TextEncoding encoding, const QString &path, TextEncoding scriptEncoding);
    // The rows stand in no file any more (it was removed): modified, and no
    // undo makes them saved again.
    void markUnsaved();

signals:
    // The current file changed, or was read or written.
    void fileChanged();
    // The rows changed from, or came back to, what was last read or saved.
    void modifiedChanged(bool modified);
    // The parts kept as read are known (after an open checked on a thread).
    void partsJudged();

private:
    ScriptModel m_rows;
    ScriptHistory m_history;
    QString m_currentFile;
    QByteArray m_fileBytes;
    bool m_modified = false;
    QSet<int> m_consented;
    ScriptProblems *m_problems;
    bool m_judgeLater = false;
    QThread *m_judging = nullptr;
    std::shared_ptr<std::atomic_bool> m_stopJudging;

    void judgeParts();
    void stopJudging();
};
