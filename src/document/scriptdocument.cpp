#include "scriptdocument.h"

#include "scriptproblems.h"
#include "files/saveopen.h"
#include "shell/background.h"
#include "shell/fileservices.h"

#include <QThread>

ScriptDocument::ScriptDocument(QObject *parent)
    : QObject(parent), m_rows(this), m_history(m_rows, this), m_problems(new ScriptProblems(*this))
{
    connect(&m_rows, &ScriptModel::contentChanged, this, [this] { setModified(true); });
    // Undone or redone back to what the file holds.
    connect(&m_history, &ScriptHistory::changed, this, [this] {
        if (m_history.isSaved())
            setModified(false);
    });
}

void ScriptDocument::setModified(bool modified)
{
    if (!modified)
        m_history.setSaved();
    if (m_modified == modified)
        return;
    m_modified = modified;
    emit modifiedChanged(modified);
}

ScriptDocument::~ScriptDocument()
{
    stopJudging();
}

bool ScriptDocument::needsConsent(int form)
{
    SaveOpen::judgeForm(m_rows.sourceToJudge(), form);
    return source().isKept(form) && !m_consented.contains(form);
}

void ScriptDocument::consent(int form)
{
    m_consented.insert(form);
}

bool ScriptDocument::open(const QString &path, QString &error, bool check)
{
    QByteArray bytes;
    if (!FileServices::readFileBytes(path, bytes, error))
        return false;
    const bool later = check && m_judgeLater;
    SaveOpen::ReadResult r = SaveOpen::readScriptBytes(std::move(bytes), check && !later);
    if (later)
        for (SourceForm &form : r.source.forms)
            form.judged = false;
    stopJudging();
    m_consented.clear();
    m_rows.setScript(std::move(r.rows), std::move(r.source));
    m_currentFile = path;
    m_fileBytes = source().bytes;
    setModified(false);
    if (later)
        judgeParts();
    emit fileChanged();
    return true;
}

void ScriptDocument::judgeParts()
{
    auto kept = std::make_shared<SaveOpen::KeptForms>();
    auto stop = std::make_shared<std::atomic_bool>(false);
    m_stopJudging = stop;
    const quint64 generation = m_rows.scriptGeneration();
    m_judging = QThread::create([source = m_rows.source(), kept, stop] {
        giveWayToTheWindow();
        *kept = SaveOpen::judgeForms(source, *stop); });
    connect(m_judging, &QThread::finished, this, [this, kept, stop, generation] {
        // a judgement stopped is gone already: its news may still come
        if (*stop)
            return;
        m_judging->wait(); // finished comes just before the thread ends
        delete m_judging;
        m_judging = nullptr;
        if (generation != m_rows.scriptGeneration())
            return;
        m_rows.setJudgement(std::move(*kept));
        emit partsJudged();
    });
    m_judging->start();
}

// A judgement under way is dropped: its source is about to go.
void ScriptDocument::stopJudging()
{
    if (!m_judging)
        return;
    *m_stopJudging = true;
    m_judging->disconnect(this);
    m_judging->wait();
    delete m_judging;
    m_judging = nullptr;
}

bool ScriptDocument::bytes(SaveOpen::SaveText &saved, QString &error) const
{
    if (SaveOpen::buildScriptBytes(m_rows.lines(), m_rows.source(), saved, error))
        return true;
    error = saved.rowMessage(m_rows.lines(), error);
    return false;
}

bool ScriptDocument::saveAs(const QString &path, QString &error)
{
    SaveOpen::SaveText text;
    if (!bytes(text, error) || !FileServices::saveFile(path, text.bytes, error))
        return false;
    // the rows now stand where the file has them
    m_rows.setSavedLines(text.lines, text.lineCount);
    m_currentFile = path;
    m_fileBytes = std::move(text.bytes);
    setModified(false);
    emit fileChanged();
    return true;
}

void ScriptDocument::clear()
{
    stopJudging();
    m_rows.clear();
    m_consented.clear();
    m_currentFile.clear();
    m_fileBytes.clear();
    setModified(false);
    emit fileChanged();
}

void ScriptDocument::loadUnsaved(QByteArray bytes, TextEncoding encoding, const QString &path, TextEncoding scriptEncoding)
{
    ScriptSource source = SaveOpen::decodeScript(std::move(bytes));
    // Bytes with nothing beyond ASCII read the same either way; bytes of the
    // game's code page may happen to be valid UTF-8: the script's own
    // encoding decides.
    if (source.encoding != encoding) {
        source.encoding = encoding;
        source.text = SaveOpen::decodeScriptBytes(source.bytes, source);
    }
    std::vector<ScriptLine> rows = SaveOpen::readForms(source);
    SaveOpen::markKeptForms(rows, source);
    stopJudging();
    if (scriptEncoding != encoding)
        source = source.reencoded(scriptEncoding);
    m_consented.clear();
    m_rows.setScript(std::move(rows), std::move(source));
    if (path != m_currentFile) {
        m_currentFile = path;
        m_fileBytes.clear();
    }
    markUnsaved();
    emit fileChanged();
}

void ScriptDocument::markUnsaved()
{
    m_history.forgetSaved();
    setModified(true);
}
