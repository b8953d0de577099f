#include "lspdocument.h"

#include "files/saveopen.h"

#include <QFileInfo>
#include <QJsonValue>
#include <QUrl>

LspDocument::LspDocument(const QString &uri, const QString &text, int version)
    : m_uri(uri), m_text(text), m_version(version)
{
    const QUrl url(uri);
    if (url.isLocalFile())
        m_path = QFileInfo(url.toLocalFile()).absoluteFilePath();
    indexLines();
}

void LspDocument::indexLines()
{
    m_lineStarts.clear();
    m_lineStarts.reserve(size_t(m_text.size() / 24 + 1));
    m_lineStarts.push_back(0);
    const char16_t *d = reinterpret_cast<const char16_t *>(m_text.constData());
    const qsizetype n = m_text.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (d[i] == u'\n' || d[i] == u'\r') {
            if (d[i] == u'\r' && i + 1 < n && d[i + 1] == u'\n')
                ++i;
            m_lineStarts.push_back(i + 1);
        }
    }
}

QStringView LspDocument::line(int i) const
{
    if (i < 0 || i >= lineCount())
        return {};
    const qsizetype start = m_lineStarts[size_t(i)];
    qsizetype end = i + 1 < lineCount() ? m_lineStarts[size_t(i) + 1] : m_text.size();
    while (end > start && (m_text[end - 1] == QLatin1Char('\n') || m_text[end - 1] == QLatin1Char('\r')))
        --end;
    return QStringView(m_text).sliced(start, end - start);
}

qsizetype LspDocument::offset(int line, int character) const
{
    if (line < 0 || line >= lineCount() || character < 0)
        return -1;
    return m_lineStarts[size_t(line)] + std::min<qsizetype>(character, this->line(line).size());
}

std::pair<int, int> LspDocument::position(qsizetype offset) const
{
    const auto after = std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), offset);
    const int line = int(after - m_lineStarts.begin()) - 1;
    return {line, int(std::min(offset - m_lineStarts[size_t(line)], this->line(line).size()))};
}

bool LspDocument::apply(const QJsonObject &change, int version, QString &error)
{
    const QJsonValue text = change.value(QLatin1String("text"));
    if (!text.isString()) {
        error = QStringLiteral("changement sans texte");
        return false;
    }
    if (!change.contains(QLatin1String("range"))) {
        m_text = text.toString();
    } else {
        const QJsonObject range = change.value(QLatin1String("range")).toObject();
        const auto at = [&](const char *name) {
            const QJsonObject p = range.value(QLatin1String(name)).toObject();
            const QJsonValue l = p.value(QLatin1String("line")), c = p.value(QLatin1String("character"));
            // the line after the last one is the end of the text
            if (l.isDouble() && c.isDouble() && l.toInteger(-1) == lineCount())
                return m_text.size();
            return l.isDouble() && c.isDouble() ? offset(int(l.toInteger(-1)), int(c.toInteger(-1))) : qsizetype(-1);
        };
        const qsizetype start = at("start"), end = at("end");
        if (start < 0 || end < 0 || end < start) {
            error = QStringLiteral("plage hors du texte");
            return false;
        }
        m_text.replace(start, end - start, text.toString());
    }
    m_version = version;
    indexLines();
    m_rowsValid = false;
    diagnosticsDue = true;
    return true;
}

void LspDocument::readRows() const
{
    if (m_rowsValid)
        return;
    m_rows = SaveOpen::readScriptText(m_text);
    m_structure = Blocks::analyse(m_rows);
    m_rowOfLine.assign(size_t(lineCount()) + 1, 0);
    for (size_t i = m_rows.size(); i-- > 0;)
        if (m_rows[i].line >= 1 && m_rows[i].line <= lineCount())
            m_rowOfLine[size_t(m_rows[i].line - 1)] = int(i) + 1;
    m_rowsValid = true;
}

const std::vector<ScriptLine> &LspDocument::rows() const
{
    readRows();
    return m_rows;
}

const Blocks::Structure &LspDocument::structure() const
{
    readRows();
    return m_structure;
}

int LspDocument::rowAtLine(int line) const
{
    readRows();
    for (int l = std::min(line, lineCount() - 1); l >= 0; --l)
        if (m_rowOfLine[size_t(l)] != 0)
            return m_rowOfLine[size_t(l)];
    return 0;
}

void LspDocument::findAi()
{
    m_ai.reset();
    m_aiIndex = -1;
    if (m_path.isEmpty() || !QFileInfo(m_path).isFile())
        return;
    m_ai = Ai::of({m_path});
    m_aiIndex = m_ai->indexOf(Ai::canonical(m_path));
    diagnosticsDue = true;
}

QString LspDocument::folder() const
{
    if (m_ai && m_aiIndex >= 0)
        return m_ai->files()[size_t(m_aiIndex)].folder;
    return m_path.isEmpty() ? QString() : QFileInfo(m_path).absolutePath();
}

Problems::Context LspDocument::context(const Vocabulary *vocabulary) const
{
    if (m_ai && m_aiIndex >= 0)
        return m_ai->context(m_aiIndex, vocabulary);
    return {vocabulary, folder(), nullptr};
}

std::vector<Problems::Problem> LspDocument::problems(const Vocabulary *vocabulary) const
{
    return Problems::analyse(rows(), structure(), context(vocabulary));
}
