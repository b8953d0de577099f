#pragma once

#include <QDateTime>
#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

class ScriptDocument;

// Watches the document's file for what other programs do to it: a change
// of its bytes, or its removal. Each state of the file is reported once.
class DiskWatch : public QObject
{
    Q_OBJECT
public:
    enum class Change { None, Changed, Removed };
    explicit DiskWatch(ScriptDocument &document, QObject *parent = nullptr);

    // What became of the file since it was last read, written or checked
    // here: Changed only when its bytes are no longer those the document
    // read or wrote.
    Change check();

signals:
    // Once the file has settled after another program touched it.
    void changed(DiskWatch::Change change);

private:
    struct Stamp {
        bool exists = false;
        qint64 size = 0;
        QDateTime modified;
        bool operator==(const Stamp &) const = default;
    };
    Stamp stamp() const;
    // The document's file, read or written: watched from now on.
    void follow();
    void watch();

    ScriptDocument &m_document;
    QFileSystemWatcher m_watcher;
    // Programs write a file in several steps: it is looked at once they
    // stop.
    QTimer m_settle;
    QString m_path;
    Stamp m_known;
};
