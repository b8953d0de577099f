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
    readAll();
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
    const QString inserted = text.toString();
    if (!change.contains(QLatin1String("range"))) {
        m_version = version;
        diagnosticsDue = true;
        m_text = inserted;
        indexLines();
        readAll();
        return true;
    }
    const QJsonObject range = change.value(QLatin1String("range")).toObject();
    int lines[2] = {-1, -1};
    qsizetype offsets[2] = {-1, -1};
    for (int i = 0; i < 2; ++i) {
        const QJsonObject p = range.value(QLatin1String(i == 0 ? "start" : "end")).toObject();
        const QJsonValue l = p.value(QLatin1String("line")), c = p.value(QLatin1String("character"));
        if (!l.isDouble() || !c.isDouble())
            break;
        const qint64 line = l.toInteger(-1);
        lines[i] = line > lineCount() ? -1 : int(line);
        // the line after the last one is the end of the text
        offsets[i] = lines[i] == lineCount() ? m_text.size() : offset(lines[i], int(c.toInteger(-1)));
        lines[i] = std::min(lines[i], lineCount() - 1);
    }
    if (offsets[0] < 0 || offsets[1] < 0 || offsets[1] < offsets[0]) {
        error = QStringLiteral("plage hors du texte");
        return false;
    }
    m_version = version;
    diagnosticsDue = true;
    m_text.replace(offsets[0], offsets[1] - offsets[0], inserted);
    const int before = lineCount();
    indexLines();
    // a CR typed before an LF, or an LF after a CR, joins two line ends:
    // the lines around are read again with the rest
    readAgain(std::max(0, lines[0] - 1), std::min(before - 1, lines[1] + 1), lineCount() - before);
    return true;
}

void LspDocument::readAll()
{
    SaveOpen::ReadResult read = SaveOpen::readScriptBytes(m_text.toUtf8(), false);
    m_rows = std::move(read.rows);
    m_formLines.clear();
    m_formRows.clear();
    size_t row = 0;
    for (int f = 0; f < read.source.formCount(); ++f) {
        while (row < m_rows.size() && m_rows[row].form < f)
            ++row;
        m_formLines.push_back(read.source.forms[size_t(f)].firstLine - 1);
        m_formRows.push_back(int(row));
    }
    m_checkAll = true;
    m_dirty.clear();
}

void LspDocument::readAgain(int first, int last, int delta)
{
    if (m_formLines.empty())
        return readAll();
    // from the form before the one holding the first line: a change may
    // make that line no longer start a form
    const int holding = int(std::upper_bound(m_formLines.begin(), m_formLines.end(), first) - m_formLines.begin()) - 1;
    const int k0 = std::max(0, holding - 1);
    const int k1 = int(std::upper_bound(m_formLines.begin(), m_formLines.end(), last) - m_formLines.begin());
    const int from = m_formLines[size_t(k0)];
    // the reader takes a U+FEFF starting its text for a byte-order mark: one
    // starting a line within the text is read with the whole text
    if (from > 0 && m_text.size() > m_lineStarts[size_t(from)] && m_text[m_lineStarts[size_t(from)]] == QChar(0xFEFF))
        return readAll();
    // The text is cut again from there until a form starts where one started
    // before the change: the cut goes on from there as it went.
    int to = std::min(lineCount(), last + delta + 1 + 256);
    SaveOpen::ReadResult read;
    int j = -1, k = int(m_formLines.size());
    for (;;) {
        const qsizetype a = m_lineStarts[size_t(from)];
        const qsizetype b = to >= lineCount() ? m_text.size() : m_lineStarts[size_t(to)];
        read = SaveOpen::readScriptBytes(QStringView(m_text).sliced(a, b - a).toUtf8(), false);
        for (int f = 1; f < read.source.formCount() && j < 0; ++f) {
            const int line = from + read.source.forms[size_t(f)].firstLine - 1;
            if (line >= to)
                break;
            const auto old = std::lower_bound(m_formLines.begin() + k1, m_formLines.end(), line - delta);
            if (old != m_formLines.end() && *old == line - delta)
                j = f, k = int(old - m_formLines.begin());
        }
        if (j >= 0 || to >= lineCount())
            break;
        to = std::min(lineCount(), from + 2 * (to - from));
    }
    if (j < 0)
        j = read.source.formCount();

    // the rows of forms k0 to k (excluded) give way to those of the new forms
    const int r0 = m_formRows[size_t(k0)];
    const int r1 = k < int(m_formRows.size()) ? m_formRows[size_t(k)] : int(m_rows.size());
    std::vector<int> lines, firstRows;
    size_t n = 0;
    for (int f = 0; f < j; ++f) {
        while (n < read.rows.size() && read.rows[n].form < f)
            ++n;
        lines.push_back(from + read.source.forms[size_t(f)].firstLine - 1);
        firstRows.push_back(r0 + int(n));
    }
    while (n < read.rows.size() && read.rows[n].form < j)
        ++n;
    for (size_t i = 0; i < n; ++i) {
        read.rows[i].line += from;
        read.rows[i].readLine += from;
    }
    const int added = int(n), rowDelta = added - (r1 - r0);
    m_rows.erase(m_rows.begin() + r0, m_rows.begin() + r1);
    m_rows.insert(m_rows.begin() + r0, std::make_move_iterator(read.rows.begin()),
                  std::make_move_iterator(read.rows.begin() + qsizetype(n)));
    for (size_t i = size_t(r0 + added); i < m_rows.size(); ++i) {
        m_rows[i].line += delta;
        m_rows[i].readLine += delta;
    }
    m_formLines.erase(m_formLines.begin() + k0, m_formLines.begin() + k);
    m_formRows.erase(m_formRows.begin() + k0, m_formRows.begin() + k);
    m_formLines.insert(m_formLines.begin() + k0, lines.begin(), lines.end());
    m_formRows.insert(m_formRows.begin() + k0, firstRows.begin(), firstRows.end());
    for (size_t f = size_t(k0) + lines.size(); f < m_formLines.size(); ++f) {
        m_formLines[f] += delta;
        m_formRows[f] += rowDelta;
    }

    // what the checks knew of the rows moves with them
    const auto moved = [&](int &row) {
        if (row > r1)
            row += rowDelta;
    };
    std::erase_if(m_own, [&](const Problems::Problem &p) { return p.row > r0 && p.row <= r1; });
    for (Problems::Problem &p : m_own)
        moved(p.row);
    std::erase_if(m_dirty, [&](int row) { return row > r0 && row <= r1; });
    for (int &row : m_dirty)
        moved(row);
    for (int row = r0 + 1; row <= r0 + added; ++row)
        m_dirty.push_back(row);
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
    m_checkAll = true;
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

std::vector<Problems::Problem> LspDocument::problems(const Vocabulary *vocabulary)
{
    auto checker = std::make_unique<Problems::Checker>(m_rows, context(vocabulary));
    // changed constants change the meaning of any value: everything again
    if (m_checkAll || !m_checker || !checker->sameConstants(*m_checker)) {
        m_own.clear();
        for (int pos = 1; pos <= int(m_rows.size()); ++pos)
            checker->check(pos, m_own);
    } else if (!m_dirty.empty()) {
        std::vector<Problems::Problem> found = checker->checkRows(m_dirty, int(m_rows.size()));
        // the rows checked again lost their problems when they were read again
        const size_t middle = m_own.size();
        m_own.insert(m_own.end(), std::make_move_iterator(found.begin()), std::make_move_iterator(found.end()));
        std::inplace_merge(m_own.begin(), m_own.begin() + qsizetype(middle), m_own.end(),
                           [](const Problems::Problem &a, const Problems::Problem &b) { return a.row < b.row; });
    }
    m_checker = std::move(checker);
    m_checkAll = false;
    m_dirty.clear();
    std::vector<Problems::Problem> own = m_checker->constantProblems();
    own.insert(own.end(), m_own.begin(), m_own.end());
    std::stable_sort(own.begin(), own.end(), [](const Problems::Problem &a, const Problems::Problem &b) { return a.row < b.row; });
    for (Problems::Problem &p : own)
        p.line = m_rows[size_t(p.row - 1)].line;
    return Problems::merge(std::move(own), Blocks::analyse(m_rows), m_rows);
}
