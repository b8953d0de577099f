#include "diskwatch.h"

#include "document/scriptdocument.h"
#include "shell/fileservices.h"

#include <QFileInfo>

DiskWatch::DiskWatch(ScriptDocument &document, QObject *parent) : QObject(parent), m_document(document)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(300);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, &m_settle, qOverload<>(&QTimer::start));
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, &m_settle, qOverload<>(&QTimer::start));
    connect(&m_settle, &QTimer::timeout, this, [this] {
        const Change change = check();
        watch(); // a file replaced by another is watched anew
        if (change != Change::None)
            emit changed(change);
    });
    connect(&document, &ScriptDocument::fileChanged, this, &DiskWatch::follow);
    follow();
}

DiskWatch::Stamp DiskWatch::stamp() const
{
    // A path that no longer holds a regular file (a folder, a named pipe
    // put there) holds no copy of the script: it is a removed file.
    const QFileInfo info(m_path);
    if (!info.isFile())
        return {};
    return {true, info.size(), info.lastModified()};
}

void DiskWatch::follow()
{
    if (!m_watcher.files().isEmpty())
        m_watcher.removePaths(m_watcher.files());
    if (!m_watcher.directories().isEmpty())
        m_watcher.removePaths(m_watcher.directories());
    m_path = m_document.currentFile();
    m_known = stamp();
    watch();
}

void DiskWatch::watch()
{
    if (m_path.isEmpty())
        return;
    // Its folder too: a file removed, or replaced by renaming another over
    // it, is no longer watched by itself.
    const QString folder = QFileInfo(m_path).absolutePath();
    if (!m_watcher.directories().contains(folder))
        m_watcher.addPath(folder);
    if (QFileInfo(m_path).isFile() && !m_watcher.files().contains(m_path))
        m_watcher.addPath(m_path);
}

DiskWatch::Change DiskWatch::check()
{
    if (m_path.isEmpty())
        return Change::None;
    const Stamp now = stamp();
    if (now == m_known)
        return Change::None;
    if (!now.exists) {
        m_known = now;
        return Change::Removed;
    }
    QByteArray bytes;
    QString error;
    if (!FileServices::readFileBytes(m_path, bytes, error))
        return Change::None; // looked at again when it changes next
    m_known = now;
    return bytes == m_document.fileBytes() ? Change::None : Change::Changed;
}
