#pragma once

#include <QObject>
#include <QString>
#include <QThreadPool>
#include <QTimer>

class ScriptDocument;

// Keeps a document's unsaved work in its recovery file: a few seconds after
// the last change, and at least once a minute while changes go on. The
// window's thread only takes a copy of the rows (their texts are shared,
// not copied); the bytes are made and written on a thread of the writer's
// own, one file after the other, so that a removal never overtakes a write.
// Once the document is saved or back to what its file holds, the file goes.
class RecoveryWriter : public QObject
{
    Q_OBJECT
public:
    explicit RecoveryWriter(ScriptDocument &document, QObject *parent = nullptr);
    // Waits for the file being written.
    ~RecoveryWriter() override;

    // Quiet time after a change, and the longest time a change waits.
    void setDelays(int afterChangeMs, int longestMs);
    // The recovery file of the document as it is now.
    QString file() const;
    // Writes the unsaved work now, then removes the file it replaces
    // (another editor's, being recovered) once it is written.
    void writeNow(const QString &replacing = QString());
    // The user chose to drop the unsaved work: nothing is written until the
    // next change, and the file goes with the work.
    void discard();
    // The editor goes: work still unsaved and not dropped is written and
    // kept, for the next start to offer back; else the file goes. Returns
    // once it is done.
    void finish();
    // Returns once every write and removal asked so far is done.
    void waitForDone();

signals:
    // A recovery file could not be written: said once, until one is again.
    void failed(const QString &message);

private:
    void changed();
    void remove();
    void written(const QString &error);
    ScriptDocument &m_document;
    QTimer m_quiet, m_longest;
    QThreadPool m_thread;
    // The file last asked to be written, where the work now is.
    QString m_file;
    bool m_discarded = false;
    bool m_failing = false;
};
