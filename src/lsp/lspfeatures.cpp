// The language server's answers about a place in a script: completion,
// hover, definitions, the outline and formatting.
#include "lspserver.h"

#include "catalogues/acts.h"
#include "catalogues/facts.h"
#include "catalogues/params.h"
#include "catalogues/prepross.h"
#include "catalogues/records.h"
#include "files/saveopen.h"

#include <QDir>
#include <QUrl>
#include <optional>

namespace {

// The protocol's kinds.
enum ItemKind { FunctionItem = 3, ValueItem = 12, KeywordItem = 14, FileItem = 17, ConstantItem = 21 };
enum SymbolKind { FileSymbol = 1, NamespaceSymbol = 3, FunctionSymbol = 12, ConstantSymbol = 14 };

QJsonObject item(const QString &label, int kind, const QString &detail = {}, const QString &documentation = {})
{
    QJsonObject o{{QStringLiteral("label"), label}, {QStringLiteral("kind"), kind}};
    if (!detail.isEmpty())
        o.insert(QStringLiteral("detail"), detail);
    if (!documentation.isEmpty())
        o.insert(QStringLiteral("documentation"),
                 QJsonObject{{QStringLiteral("kind"), QStringLiteral("plaintext")}, {QStringLiteral("value"), documentation}});
    return o;
}

QJsonObject position(int line, int character)
{
    return {{QStringLiteral("line"), line}, {QStringLiteral("character"), character}};
}

QJsonObject range(const LspDocument &d, qsizetype from, qsizetype to)
{
    const auto [l0, c0] = d.position(from);
    const auto [l1, c1] = d.position(to);
    return {{QStringLiteral("start"), position(l0, c0)}, {QStringLiteral("end"), position(l1, c1)}};
}

QJsonObject lineRange(int line, int from, int lastLine, int to)
{
    return {{QStringLiteral("start"), position(line, from)}, {QStringLiteral("end"), position(lastLine, to)}};
}

QJsonObject location(const QString &file, int line)
{
    return {{QStringLiteral("uri"), QUrl::fromLocalFile(file).toString()},
            {QStringLiteral("range"), lineRange(line, 0, line, 0)}};
}

bool isBlank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n'); }
bool endsToken(QChar c) { return isBlank(c) || c == QLatin1Char('(') || c == QLatin1Char(')') || c == QLatin1Char(';'); }

bool startsForm(QStringView line)
{
    const QStringView t = line.trimmed();
    if (t.startsWith(QLatin1Char('#')))
        return true;
    if (!t.startsWith(QLatin1Char('(')))
        return false;
    const QStringView word = t.sliced(1).trimmed();
    for (const char *k : {"defrule", "defconst", "load"})
        if (word.startsWith(QLatin1String(k), Qt::CaseInsensitive))
            return true;
    return false;
}

// What stands at a place of the script: the list it is in and the token
// there, read from the start of the top-level form holding it.
struct Place {
    struct Frame {
        QString head;    // the list's first word
        int words = 0;   // the words read in it, its head included
        bool actions = false; // a rule's "=>" was read in it
    };
    std::vector<Frame> frames; // outermost first
    bool inComment = false, inString = false;
    qsizetype tokenStart = 0, tokenEnd = 0; // the token at the place (maybe empty)
    int tokenIndex = 0; // its place in the innermost list (0: the head)

    const Frame *list() const { return frames.empty() ? nullptr : &frames.back(); }
    // Whether the innermost list is in a rule's facts or actions.
    bool inRule(bool *actions) const
    {
        for (size_t i = frames.size(); i-- > 0;) {
            if (frames[i].head.compare(QLatin1String("defrule"), Qt::CaseInsensitive) == 0) {
                *actions = frames[i].actions;
                return i + 1 < frames.size();
            }
        }
        return false;
    }
};

Place placeAt(const LspDocument &d, qsizetype offset)
{
    const QString &text = d.text();
    auto [line, column] = d.position(offset);
    // back to the line that starts the top-level form
    int first = line;
    for (int n = 0; first > 0 && n < 5000 && !startsForm(d.line(first)); ++n)
        --first;
    Place p;
    qsizetype i = d.offset(first, 0);
    const auto word = [&](qsizetype from) {
        qsizetype e = from;
        while (e < text.size() && !endsToken(text[e]))
            ++e;
        return e;
    };
    while (i < offset) {
        const QChar c = text[i];
        if (c == QLatin1Char(';')) {
            while (i < text.size() && text[i] != QLatin1Char('\n') && text[i] != QLatin1Char('\r'))
                ++i;
            if (i >= offset) {
                p.inComment = true;
                return p;
            }
        } else if (c == QLatin1Char('(')) {
            if (!p.frames.empty())
                ++p.frames.back().words;
            p.frames.push_back({});
            ++i;
        } else if (c == QLatin1Char(')')) {
            if (!p.frames.empty())
                p.frames.pop_back();
            ++i;
        } else if (isBlank(c)) {
            ++i;
        } else {
            qsizetype e = i;
            if (c == QLatin1Char('"')) {
                e = text.indexOf(QLatin1Char('"'), i + 1);
                e = e < 0 ? text.size() : e + 1;
                if (e > offset) {
                    p.inString = true;
                    p.tokenStart = i;
                    p.tokenEnd = e;
                    p.tokenIndex = p.frames.empty() ? 0 : p.frames.back().words;
                    return p;
                }
            } else {
                e = word(i);
            }
            if (e >= offset)
                break; // the token at the place
            if (!p.frames.empty()) {
                Place::Frame &f = p.frames.back();
                const QStringView w = QStringView(text).sliced(i, e - i);
                if (f.words == 0)
                    f.head = w.toString();
                else if (w == QLatin1String("=>"))
                    f.actions = true;
                ++f.words;
            }
            i = e;
        }
    }
    p.tokenStart = std::min(i, offset);
    p.tokenEnd = p.tokenStart < offset || (offset < text.size() && !endsToken(text[offset])) ? word(p.tokenStart) : offset;
    if (p.tokenStart < offset && isBlank(text[p.tokenStart]))
        p.tokenStart = p.tokenEnd = offset;
    p.tokenIndex = p.frames.empty() ? 0 : p.frames.back().words;
    return p;
}

// A constant the script itself defines (the client's text, not the file on disk).
struct OwnConstant {
    QString name, value;
    qsizetype at = 0; // where its name stands
};

std::vector<OwnConstant> ownConstants(const LspDocument &d)
{
    std::vector<OwnConstant> out;
    for (const ScriptLine &row : d.rows()) {
        QString name, value;
        if (row.kind != LineKind::Const || !Problems::constantOf(row, &name, &value))
            continue;
        const QStringView line = d.line(row.line - 1);
        const qsizetype column = line.indexOf(name);
        const qsizetype start = d.offset(row.line - 1, 0);
        out.push_back({name, value, column < 0 || start < 0 ? std::max<qsizetype>(start, 0) : start + column});
    }
    return out;
}

QString withoutQuotes(QStringView token)
{
    if (token.startsWith(QLatin1Char('"')))
        token = token.sliced(1);
    if (token.endsWith(QLatin1Char('"')))
        token.chop(1);
    return token.toString();
}

// A catalogue entry's help as one text with LF line ends.
QString help(const CatalogueRecord &record)
{
    QString text = record.help.trimmed();
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return text;
}

// The first definition of a constant in another file of the AI: the
// client's text is the truth for its own file.
std::optional<Problems::Definition> elsewhere(const LspDocument &d, const QString &name)
{
    if (!d.ai())
        return std::nullopt;
    const QString self = d.path().isEmpty() ? QString() : Ai::canonical(d.path());
    for (const Problems::Definition &def : d.ai()->definitions(name))
        if (def.file != self)
            return def;
    return std::nullopt;
}

bool isNumber(QStringView token)
{
    return !token.isEmpty() && std::all_of(token.begin(), token.end(), [](QChar c) { return c.isDigit(); });
}

} // namespace

void LspServer::prepareCompletions()
{
    m_factItems = m_actionItems = m_keywordItems = m_topItems = m_symbolItems = QJsonArray();
    m_factRecords.clear();
    m_actionRecords.clear();
    if (vocabulary()) {
        const auto add = [](const std::vector<CatalogueRecord> &table, int count, QJsonArray &items, QHash<QString, int> &records) {
            for (int k = 1; k <= count && k < int(table.size()); ++k) {
                const QString name = Catalogues::nameOf(table[size_t(k)].header);
                if (name.isEmpty() || records.contains(Vocabulary::fold(name)))
                    continue;
                records.insert(Vocabulary::fold(name), k);
                items.append(item(name, FunctionItem, table[size_t(k)].header, help(table[size_t(k)])));
            }
        };
        add(Facts::FactTable, Facts::FactCount, m_factItems, m_factRecords);
        add(Acts::ActTable, Acts::ActCount, m_actionItems, m_actionRecords);
        for (const Prepross::SymbolEntry &e : Prepross::SymbolTable) {
            if (Prepross::isSeparator(e.listText))
                continue;
            const QString entry = e.listText.trimmed();
            const QString symbol = Vocabulary::valuePart(entry);
            m_symbolItems.append(item(symbol, ConstantItem, e.category, entry.size() > symbol.size() ? entry : QString()));
        }
    }
    for (const char *k : {"and", "or", "not", "nand", "nor"})
        m_keywordItems.append(item(QLatin1String(k), KeywordItem));
    for (const char *k : {"defrule", "defconst", "load", "load-random"})
        m_topItems.append(item(QLatin1String(k), KeywordItem));
}

QJsonValue LspServer::completion(const LspDocument &d, qsizetype offset)
{
    const Place p = placeAt(d, offset);
    if (p.inComment || p.inString)
        return QJsonArray();
    const auto [line, column] = d.position(offset);
    QStringView before = d.line(line).first(column);
    while (!before.isEmpty() && isBlank(before.front()))
        before = before.sliced(1);
    for (const QLatin1StringView directive : {QLatin1StringView("#load-if-defined"), QLatin1StringView("#load-if-not-defined")})
        if (before.startsWith(directive, Qt::CaseInsensitive) && before.size() > directive.size() && isBlank(before[directive.size()]))
            return m_symbolItems;
    const Place::Frame *list = p.list();
    if (!list)
        return QJsonArray();
    bool actions = false;
    const bool rule = p.inRule(&actions);
    if (p.tokenIndex == 0) {
        if (p.frames.size() == 1)
            return m_topItems;
        if (!rule)
            return QJsonArray();
        if (actions)
            return m_actionItems;
        QJsonArray items = m_factItems;
        for (const QJsonValue &k : m_keywordItems)
            items.append(k);
        return items;
    }
    // a parameter of a fact or an action: its type's values, and the constants that fit
    if (!rule || !vocabulary() || p.frames.size() < 2)
        return QJsonArray();
    const Vocabulary::Entry *entry = actions ? vocabulary()->action(list->head) : vocabulary()->fact(list->head);
    if (!entry || p.tokenIndex > int(entry->types.size()))
        return QJsonArray();
    const QString typeName = entry->types[p.tokenIndex - 1];
    const Vocabulary::Type &type = vocabulary()->type(entry->typeIndex[size_t(p.tokenIndex - 1)]);
    QJsonArray items;
    const Params::Field field = Params::fieldFor(typeName);
    for (const Params::Field::Run &run : field.runs) {
        if (run.isNumbers()) {
            if (run.size() <= 100)
                for (int n = run.first; n <= run.last; ++n)
                    items.append(item(QString::number(n), ValueItem, typeName));
        } else if (run.text != QLatin1String(" ")) {
            const QString value = Vocabulary::valuePart(run.text);
            items.append(item(value, ValueItem, typeName, value.size() < run.text.size() ? run.text : QString()));
        }
    }
    QSet<QString> seen;
    const auto constant = [&](const QString &name, const QString &value, const QString &where) {
        if (seen.contains(Vocabulary::fold(name)) || (!type.anyValue && !type.allows(value)))
            return;
        seen.insert(Vocabulary::fold(name));
        items.append(item(name, ConstantItem, QStringLiteral("= %1").arg(value), where));
    };
    for (const OwnConstant &c : ownConstants(d))
        constant(c.name, c.value, QString());
    const Problems::Context context = d.context(nullptr);
    if (context.ai && context.ai->constants)
        for (const std::vector<Problems::Definition> &defs : std::as_const(*context.ai->constants))
            for (const Problems::Definition &def : defs)
                if (def.file != context.ai->file)
                    constant(def.name, def.value, QStringLiteral("ligne %1 de « %2 »").arg(def.line).arg(def.file));
    return items;
}

QJsonValue LspServer::hover(const LspDocument &d, qsizetype offset)
{
    const Place p = placeAt(d, offset);
    if (p.inComment || p.tokenStart == p.tokenEnd)
        return QJsonValue::Null;
    const QString token = d.text().mid(p.tokenStart, p.tokenEnd - p.tokenStart);
    QString shown;
    const Place::Frame *list = p.list();
    bool actions = false;
    const bool rule = p.inRule(&actions);
    if (list && p.tokenIndex == 0 && rule && vocabulary()) {
        const int k = (actions ? m_actionRecords : m_factRecords).value(Vocabulary::fold(token));
        const CatalogueRecord *record = k == 0 ? nullptr : actions ? &Acts::ActTable[size_t(k)] : &Facts::FactTable[size_t(k)];
        if (record)
            shown = record->header + QStringLiteral("\n\n") + help(*record);
    } else if (list && p.tokenIndex > 0
               && (list->head.compare(QLatin1String("load"), Qt::CaseInsensitive) == 0
                   || list->head.compare(QLatin1String("load-random"), Qt::CaseInsensitive) == 0)
               && !isNumber(token)) {
        const QString file = Ai::resolve(d.folder(), withoutQuotes(token));
        shown = file.isEmpty() ? QStringLiteral("fichier chargé introuvable dans le dossier de l'IA: « %1 »").arg(withoutQuotes(token))
                               : QStringLiteral("charge « %1 »").arg(QDir::toNativeSeparators(file));
    }
    if (shown.isEmpty()) {
        for (const OwnConstant &c : ownConstants(d))
            if (Vocabulary::fold(c.name) == Vocabulary::fold(token))
                shown = QStringLiteral("constante %1 = %2\ndéfinie ligne %3 de ce script").arg(c.name, c.value).arg(d.position(c.at).first + 1);
    }
    if (shown.isEmpty()) {
        if (const std::optional<Problems::Definition> def = elsewhere(d, token))
            shown = QStringLiteral("constante %1 = %2\ndéfinie ligne %3 de « %4 »")
                        .arg(def->name, def->value)
                        .arg(def->line)
                        .arg(QDir::toNativeSeparators(def->file));
    }
    if (shown.isEmpty())
        return QJsonValue::Null;
    return QJsonObject{{QStringLiteral("contents"), QJsonObject{{QStringLiteral("kind"), QStringLiteral("plaintext")},
                                                                {QStringLiteral("value"), shown}}},
                       {QStringLiteral("range"), range(d, p.tokenStart, p.tokenEnd)}};
}

QJsonValue LspServer::definition(const LspDocument &d, qsizetype offset)
{
    const Place p = placeAt(d, offset);
    if (p.inComment || p.tokenStart == p.tokenEnd)
        return QJsonValue::Null;
    const QString token = d.text().mid(p.tokenStart, p.tokenEnd - p.tokenStart);
    const Place::Frame *list = p.list();
    if (list && p.tokenIndex > 0
        && (list->head.compare(QLatin1String("load"), Qt::CaseInsensitive) == 0
            || list->head.compare(QLatin1String("load-random"), Qt::CaseInsensitive) == 0)) {
        const QString file = Ai::resolve(d.folder(), withoutQuotes(token));
        return file.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(location(file, 0));
    }
    for (const OwnConstant &c : ownConstants(d))
        if (Vocabulary::fold(c.name) == Vocabulary::fold(token))
            return QJsonObject{{QStringLiteral("uri"), d.uri()}, {QStringLiteral("range"), range(d, c.at, c.at + c.name.size())}};
    if (const std::optional<Problems::Definition> def = elsewhere(d, token))
        return location(def->file, def->line - 1);
    return QJsonValue::Null;
}

QJsonValue LspServer::symbols(const LspDocument &d)
{
    const std::vector<ScriptLine> &rows = d.rows();
    struct Open {
        QJsonObject symbol;
        QJsonArray children;
    };
    std::vector<Open> containers(1); // the outline itself first
    const auto lineEnd = [&](int line) { return int(d.line(line).size()); };
    const auto symbol = [&](const QString &name, int kind, int first, int last) {
        return QJsonObject{{QStringLiteral("name"), name.isEmpty() ? QStringLiteral("?") : name},
                           {QStringLiteral("kind"), kind},
                           {QStringLiteral("range"), lineRange(first, 0, last, lineEnd(last))},
                           {QStringLiteral("selectionRange"), lineRange(first, 0, first, lineEnd(first))}};
    };
    const auto close = [&](int last) {
        Open done = std::move(containers.back());
        containers.pop_back();
        const QJsonObject start = done.symbol.value(QStringLiteral("range")).toObject().value(QStringLiteral("start")).toObject();
        const int first = start.value(QStringLiteral("line")).toInt();
        done.symbol.insert(QStringLiteral("range"), lineRange(first, 0, std::max(first, last), lineEnd(std::max(first, last))));
        done.symbol.insert(QStringLiteral("children"), done.children);
        containers.back().children.append(done.symbol);
    };
    int ruleRow = -1;      // the open rule's start row (0-based)
    QString ruleName;
    int lastLine = 0;
    const auto endRule = [&](int last) {
        if (ruleRow >= 0)
            containers.back().children.append(symbol(ruleName, FunctionSymbol, rows[size_t(ruleRow)].line - 1, std::max(last, rows[size_t(ruleRow)].line - 1)));
        ruleRow = -1;
    };
    for (size_t i = 0; i < rows.size(); ++i) {
        const ScriptLine &row = rows[i];
        const int line = std::max(0, row.line - 1);
        switch (row.kind) {
        case LineKind::FactB: {
            endRule(lastLine);
            ruleRow = int(i);
            ruleName.clear();
            // the comment on the line just above names it
            if (i > 0 && rows[i - 1].kind == LineKind::CommN && rows[i - 1].line == row.line - 1)
                ruleName = rows[i - 1].text.trimmed();
            break;
        }
        case LineKind::Fact:
            if (ruleRow >= 0 && ruleName.isEmpty())
                ruleName = row.text.trimmed();
            break;
        case LineKind::FactE:
            endRule(line);
            break;
        case LineKind::Const: {
            endRule(lastLine);
            QString name, value;
            Problems::constantOf(row, &name, &value);
            QJsonObject s = symbol(name, ConstantSymbol, line, line);
            s.insert(QStringLiteral("detail"), value);
            containers.back().children.append(s);
            break;
        }
        case LineKind::Load:
        case LineKind::RLoad:
            endRule(lastLine);
            containers.back().children.append(symbol(row.text.trimmed(), FileSymbol, line, line));
            break;
        case LineKind::Prep:
            endRule(lastLine);
            if (row.text.startsWith(RowText::IfPrefix)) {
                containers.push_back({symbol(d.line(line).trimmed().toString(), NamespaceSymbol, line, line), {}});
            } else if (row.text == RowText::EndIf && containers.size() > 1) {
                close(line);
            }
            break;
        default:
            break;
        }
        if (row.kind != LineKind::CommN && row.kind != LineKind::CommE && row.kind != LineKind::BL)
            lastLine = line;
    }
    endRule(lastLine);
    while (containers.size() > 1)
        close(lastLine);
    return containers.front().children;
}

LspServer::Result LspServer::formatting(const LspDocument &d)
{
    QByteArray out;
    QString problem;
    const QByteArray bytes = d.text().toUtf8();
    if (!SaveOpen::formatScriptBytes(bytes, [&](QByteArrayView chunk) { out.append(chunk); return true; }, problem))
        return Failure{InvalidParams, QStringLiteral("mise en forme impossible: %1").arg(problem)};
    const QString formatted = SaveOpen::decodeUtf8(out);
    // the lines, their ends included: only the runs of lines that differ are edited
    const auto cut = [](const QString &text) {
        std::vector<QStringView> lines;
        qsizetype start = 0;
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text[i] == QLatin1Char('\n') || (text[i] == QLatin1Char('\r') && (i + 1 == text.size() || text[i + 1] != QLatin1Char('\n')))) {
                lines.push_back(QStringView(text).sliced(start, i + 1 - start));
                start = i + 1;
            }
        }
        if (start < text.size())
            lines.push_back(QStringView(text).sliced(start));
        return lines;
    };
    const std::vector<QStringView> a = cut(d.text()), b = cut(formatted);
    QJsonArray edits;
    size_t i = 0, j = 0;
    qsizetype at = 0; // the offset of a[i] in the client's text
    const auto length = [](const std::vector<QStringView> &lines, size_t from, size_t to) {
        qsizetype n = 0;
        for (size_t k = from; k < to; ++k)
            n += lines[k].size();
        return n;
    };
    constexpr size_t Window = 400; // the farthest two runs of equal lines are looked for
    while (i < a.size() || j < b.size()) {
        if (i < a.size() && j < b.size() && a[i] == b[j]) {
            at += a[i].size();
            ++i, ++j;
            continue;
        }
        size_t x = a.size() - i, y = b.size() - j; // no match: the rest
        bool found = false;
        for (size_t dist = 1; dist <= 2 * Window && !found; ++dist)
            for (size_t k = 0; k <= dist && !found; ++k)
                if (i + k < a.size() && j + dist - k < b.size() && a[i + k] == b[j + dist - k])
                    x = k, y = dist - k, found = true;
        QString replacement;
        for (size_t k = j; k < j + y; ++k)
            replacement += b[k];
        const qsizetype removed = length(a, i, i + x);
        edits.append(QJsonObject{{QStringLiteral("range"), range(d, at, at + removed)},
                                 {QStringLiteral("newText"), replacement}});
        at += removed;
        i += x;
        j += y;
    }
    return QJsonValue(edits);
}
