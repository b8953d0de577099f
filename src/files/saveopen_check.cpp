// What saving would change: the content of a script is its tokens outside
// comments and its non-empty comment texts; layout does not count.
#include "saveopen.h"

#include "shell/fileservices.h"

#include <QFileInfo>
#include <set>

namespace SaveOpen {

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

struct Token {
    QStringView text;
    int line;          // 1-based
    bool open = false; // the word right after a "(": "(x" is one token, so
                       // that a lost element does not borrow the next one's "("
};

struct Content {
    std::vector<Token> tokens;
    std::vector<Token> comments;
};

Content contentOf(const std::vector<QStringView> &lines)
{
    Content c;
    c.tokens.reserve(lines.size() * 4);
    for (size_t li = 0; li < lines.size(); ++li) {
        const QStringView l = lines[li];
        const int number = int(li + 1);
        qsizetype i = 0;
        const qsizetype n = l.size();
        while (i < n) {
            const QChar ch = l[i];
            if (isBlank(ch)) {
                ++i;
            } else if (ch == QLatin1Char('(') || ch == QLatin1Char(')')) {
                c.tokens.push_back({l.mid(i, 1), number});
                ++i;
                if (ch == QLatin1Char('(')) {
                    while (i < n && isBlank(l[i]))
                        ++i;
                    if (i < n && l[i] != QLatin1Char('(') && l[i] != QLatin1Char(')') && l[i] != QLatin1Char('"')
                        && l[i] != QLatin1Char(';')) {
                        c.tokens.back().open = true; // the word follows
                    }
                }
            } else if (ch == QLatin1Char('"')) {
                qsizetype q = l.indexOf(QLatin1Char('"'), i + 1);
                q = q < 0 ? n : q + 1;
                c.tokens.push_back({l.mid(i, q - i), number});
                i = q;
            } else if (ch == QLatin1Char(';')) {
                QStringView comment = l.mid(i + 1);
                qsizetype b = 0, e = comment.size();
                while (b < e && isBlank(comment[b]))
                    ++b;
                while (e > b && isBlank(comment[e - 1]))
                    --e;
                if (e > b)
                    c.comments.push_back({comment.mid(b, e - b), number});
                break;
            } else {
                qsizetype x = i;
                while (x < n && !isBlank(l[x]) && l[x] != QLatin1Char('(') && l[x] != QLatin1Char(')')
                       && l[x] != QLatin1Char('"') && l[x] != QLatin1Char(';'))
                    ++x;
                if (!c.tokens.empty() && c.tokens.back().open && c.tokens.back().text == QLatin1String("(")
                    && c.tokens.back().line == number) {
                    c.tokens.back().text = l.mid(i, x - i); // stays flagged open
                } else {
                    c.tokens.push_back({l.mid(i, x - i), number});
                }
                i = x;
            }
        }
    }
    return c;
}

bool sameText(QStringView a, QStringView b)
{
    if (a == b)
        return true;
    // group keywords are written in lower case
    const bool groupWord = a.compare(QLatin1String("or"), Qt::CaseInsensitive) == 0
                           || a.compare(QLatin1String("nand"), Qt::CaseInsensitive) == 0;
    return groupWord && a.compare(b, Qt::CaseInsensitive) == 0;
}

bool same(const Token &a, const Token &b)
{
    return a.open == b.open && sameText(a.text, b.text);
}

// Walks both sequences together; where they part, looks a little ahead on
// both sides for the nearest place where they agree again for a few tokens.
// The original's tokens skipped on the way are the lines concerned; tokens
// only the written text has count against the original line where they
// appear.
void compare(const std::vector<Token> &a, const std::vector<Token> &b, std::set<int> &lines)
{
    constexpr size_t Window = 48;
    constexpr size_t Agree = 3;
    auto agreeAt = [&](size_t i, size_t j) {
        for (size_t k = 0; k < Agree; ++k) {
            if (i + k >= a.size() || j + k >= b.size())
                return i + k >= a.size() && j + k >= b.size();
            if (!same(a[i + k], b[j + k]))
                return false;
        }
        return true;
    };
    auto lineAt = [&](size_t i) { return a.empty() ? 1 : a[qMin(i, a.size() - 1)].line; };

    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (same(a[i], b[j])) {
            ++i;
            ++j;
            continue;
        }
        bool found = false;
        for (size_t step = 1; step <= 2 * Window && !found; ++step) {
            for (size_t da = 0; da <= step && !found; ++da) {
                const size_t db = step - da;
                if (da > Window || db > Window)
                    continue;
                if (agreeAt(i + da, j + db)) {
                    for (size_t k = 0; k < da; ++k)
                        lines.insert(a[i + k].line);
                    if (db > 0)
                        lines.insert(lineAt(i));
                    i += da;
                    j += db;
                    found = true;
                }
            }
        }
        if (!found) {
            lines.insert(a[i].line);
            ++i;
            ++j;
        }
    }
    for (; i < a.size(); ++i)
        lines.insert(a[i].line);
    if (j < b.size())
        lines.insert(lineAt(a.size()));
}

} // namespace

FidelityReport compareContent(QStringView original, QStringView written)
{
    const std::vector<QStringView> originalLines = FileServices::splitLines(original);
    const Content a = contentOf(originalLines);
    const Content b = contentOf(FileServices::splitLines(written));
    std::set<int> lines;
    compare(a.tokens, b.tokens, lines);
    compare(a.comments, b.comments, lines);
    FidelityReport r;
    for (int n : lines) {
        if (n >= 1 && size_t(n) <= originalLines.size())
            r.lines.append({n, originalLines[size_t(n - 1)].trimmed().toString()});
    }
    return r;
}

QString FidelityReport::message(int shown) const
{
    if (lines.isEmpty())
        return {};
    QString m = lines.size() == 1
                    ? QStringLiteral("Attention: enregistrer ce script en changerait le contenu. "
                                     "Une ligne du fichier ne serait pas conservée telle quelle:\n")
                    : QStringLiteral("Attention: enregistrer ce script en changerait le contenu. "
                                     "%1 lignes du fichier ne seraient pas conservées telles quelles:\n")
                          .arg(lines.size());
    for (int k = 0; k < lines.size() && k < shown; ++k) {
        QString text = lines[k].text;
        if (text.size() > 100)
            text = text.left(100) + QStringLiteral("…");
        m += QStringLiteral("\nligne %1: %2").arg(lines[k].number).arg(text);
    }
    if (lines.size() > shown)
        m += QStringLiteral("\n… et %1 autres lignes.").arg(lines.size() - shown);
    m += QStringLiteral("\n\nLe fichier reste intact tant que vous ne l'enregistrez pas.");
    return m;
}

QString companionFileName(const QString &scriptPath)
{
    const QString ext = FileServices::GetExtensionName(scriptPath);
    const QString stem = ext.isEmpty() && !scriptPath.endsWith(QLatin1Char('.'))
                             ? scriptPath
                             : scriptPath.left(scriptPath.size() - ext.size() - 1);
    return stem + QStringLiteral(".ai");
}

QString ensureCompanionFile(const QString &companionPath)
{
    if (QFileInfo::exists(companionPath))
        return {};
    return FileServices::createEmptyFile(companionPath);
}

QString checkEncodable(QStringView text)
{
    const qsizetype at = FileServices::firstUnencodable(text);
    if (at < 0)
        return {};
    const qsizetype start = text.lastIndexOf(QLatin1Char('\n'), at) + 1;
    qsizetype end = text.indexOf(QLatin1Char('\r'), at);
    if (end < 0)
        end = text.size();
    const int line = int(text.left(at).count(QLatin1Char('\n'))) + 1;
    return QStringLiteral("Le script ne peut pas être enregistré: la ligne %1 contient le caractère «%2», "
                          "que le codage du jeu (Windows-1252) ne peut pas représenter.\n\nligne %1: %3")
        .arg(line)
        .arg(text.mid(at, text[at].isHighSurrogate() ? 2 : 1).toString(),
             text.mid(start, end - start).toString());
}

} // namespace SaveOpen
