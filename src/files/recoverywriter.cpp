#include "recoverywriter.h"

#include "recovery.h"
#include "saveopen.h"
#include "document/scriptdocument.h"

#include <QCoreApplication>
#include <QFile>

namespace {
// What the writing thread needs, taken on the window's thread.
struct Snapshot {
    std::vector<ScriptLine> rows;
    ScriptSource source;
    QString script;
    QString file;
    QString replacing; // removed once file is written
    QDateTime time;
};

// The rows saving needs: those of a part written as read only name their
// part, so one stands for all of them and no text is copied; the others
// whole.
std::vector<ScriptLine> rowsToWrite(const std::vector<ScriptLine> &rows, const ScriptSource &source)
{
    std::vector<ScriptLine> kept;
    SaveOpen::forEachFormRun(std::span<const ScriptLine>(rows), [&](size_t i, size_t j, int form) {
        const bool asRead = form >= 0 && form < source.formCount() && !source.forms[size_t(form)].edited;
        if (asRead) {
            ScriptLine stand;
            stand.form = form;
            kept.push_back(stand);
        } else {
            kept.insert(kept.end(), rows.begin() + qsizetype(i), rows.begin() + qsizetype(j));
        }
    });
    return kept;
}

// Makes the bytes and writes them; the French reason when it cannot.
QString writeSnapshot(const Snapshot &s)
{
    SaveOpen::SaveText text;
    QString error;
    TextEncoding encoding = s.source.encoding;
    if (!SaveOpen::buildScriptBytes(s.rows, s.source, text, error)) {
        // What the user typed that the script's encoding cannot hold is
        // kept all the same: the copy is then in UTF-8, which holds it all.
        if (encoding == TextEncoding::Utf8
            || !SaveOpen::buildScriptBytes(s.rows, s.source.reencoded(TextEncoding::Utf8), text, error))
            return error;
        encoding = TextEncoding::Utf8;
    }
    if (!Recovery::write(s.file, {s.script, s.time, encoding, std::move(text.bytes), s.source.encoding}, error))
        return error;
    if (!s.replacing.isEmpty() && s.replacing != s.file)
        QFile::remove(s.replacing);
    return {};
}
} // namespace

RecoveryWriter::RecoveryWriter(ScriptDocument &document, QObject *parent) : QObject(parent), m_document(document)
{
    m_thread.setMaxThreadCount(1);
    m_quiet.setSingleShot(true);
    m_longest.setSingleShot(true);
    setDelays(3000, 60000);
    connect(&m_quiet, &QTimer::timeout, this, [this] { writeNow(); });
    connect(&m_longest, &QTimer::timeout, this, [this] { writeNow(); });
    connect(&document.rows(), &ScriptModel::contentChanged, this, &RecoveryWriter::changed);
    connect(&document, &ScriptDocument::modifiedChanged, this, [this](bool modified) {
        if (!modified)
            remove();
    });
    Recovery::holdProcess();
}

RecoveryWriter::~RecoveryWriter()
{
    m_thread.waitForDone();
    Recovery::noteWriting(m_file, false);
    Recovery::releaseProcess();
}

void RecoveryWriter::setDelays(int afterChangeMs, int longestMs)
{
    m_quiet.setInterval(afterChangeMs);
    m_longest.setInterval(longestMs);
}

QString RecoveryWriter::file() const
{
    return Recovery::fileFor(m_document.currentFile(), QCoreApplication::applicationPid());
}

void RecoveryWriter::changed()
{
    m_discarded = false;
    m_quiet.start();
    if (!m_longest.isActive())
        m_longest.start();
}

void RecoveryWriter::writeNow(const QString &replacing)
{
    m_quiet.stop();
    m_longest.stop();
    if (!m_document.isModified())
        return;
    Snapshot s{rowsToWrite(m_document.rows().lines(), m_document.source()),
               m_document.source(),
               m_document.currentFile(),
               file(),
               replacing,
               QDateTime::currentDateTimeUtc()};
    // The file written before, under another name (the script was renamed
    // or saved under another), goes once the new one is written.
    if (s.replacing.isEmpty() && !m_file.isEmpty() && m_file != s.file)
        s.replacing = m_file;
    Recovery::noteWriting(m_file, false);
    m_file = s.file;
    Recovery::noteWriting(m_file, true);
    m_thread.start([this, s = std::move(s)] {
        const QString error = writeSnapshot(s);
        QMetaObject::invokeMethod(this, [this, error] { written(error); }, Qt::QueuedConnection);
    });
}

void RecoveryWriter::written(const QString &error)
{
    if (error.isEmpty()) {
        m_failing = false;
        return;
    }
    if (m_failing)
        return;
    m_failing = true;
    emit failed(QStringLiteral("Copie de secours des modifications impossible: %1. L'édition continue; "
                               "enregistrez dès que possible.")
                    .arg(error));
}

void RecoveryWriter::remove()
{
    m_quiet.stop();
    m_longest.stop();
    if (m_file.isEmpty())
        return;
    Recovery::noteWriting(m_file, false);
    m_thread.start([file = m_file] { QFile::remove(file); });
    m_file.clear();
}

void RecoveryWriter::discard()
{
    // The file goes with the work, when the document drops it: should
    // reading another script fail, the work stays, and so does its file.
    m_quiet.stop();
    m_longest.stop();
    m_discarded = true;
}

void RecoveryWriter::finish()
{
    if (m_document.isModified() && !m_discarded)
        writeNow();
    else
        remove();
    m_thread.waitForDone();
    // no longer written: another start may take it back
    Recovery::noteWriting(m_file, false);
}

void RecoveryWriter::waitForDone()
{
    m_thread.waitForDone();
    QCoreApplication::sendPostedEvents(this);
}
