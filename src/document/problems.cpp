#include "problems.h"

#include "catalogues/vocabulary.h"
#include "linebuilders.h"

#include <QDir>
#include <QHash>
#include <algorithm>
#include <span>

namespace Problems {

QString severityName(Severity severity)
{
    return severity == Severity::Error ? QStringLiteral("erreur") : QStringLiteral("attention");
}

namespace {
struct Constant {
    QString value;
    int row = 0;
    bool operator==(const Constant &other) const { return value == other.value; }
};
} // namespace

class Checker::Analysis
{
public:
    Analysis(const std::vector<ScriptLine> &rows, const Context &context) : m_rows(rows), m_context(context)
    {
        defineConstants();
        m_constantProblems = std::move(m_found);
        m_found.clear();
    }

    // Appends the problems of row pos to out.
    void check(int pos, std::vector<Problem> &out)
    {
        std::swap(out, m_found);
        checkRow(pos);
        std::swap(out, m_found);
    }

    std::vector<Problem> m_constantProblems;
    QHash<QString, Constant> m_constants;

private:
    void checkRow(int pos)
    {
        {
            const ScriptLine &row = m_rows[size_t(pos - 1)];
            switch (row.kind) {
            case LineKind::Fact:
            case LineKind::Act:
                entry(pos, row);
                break;
            case LineKind::Prep:
                symbol(pos, row.text);
                break;
            case LineKind::Load:
                load(pos, row.text);
                break;
            case LineKind::RLoad:
                for (const LineText::Possibility &p : LineText::randomLoadPossibilities(row.text))
                    load(pos, p.file);
                break;
            default:
                break;
            }
        }
    }

    void add(Severity severity, int pos, const QString &message)
    {
        m_found.push_back({severity, pos, m_rows[size_t(pos - 1)].line, message});
    }
    QString placeOf(int pos) const { return rowPlace(m_rows[size_t(pos - 1)], pos); }

    // A constant's row: "Constante: name = value".
    static bool splitConstant(const QString &text, QString *name, QString *value)
    {
        if (!text.startsWith(RowText::ConstantPrefix))
            return false;
        const qsizetype from = RowText::ConstantPrefix.size();
        const qsizetype eq = text.indexOf(RowText::ConstantSeparator, from);
        if (eq < 0)
            return false;
        *name = text.mid(from, eq - from).trimmed();
        *value = text.mid(eq + RowText::ConstantSeparator.size()).trimmed();
        return !name->isEmpty();
    }

    void defineConstants()
    {
        for (int pos = 1; pos <= int(m_rows.size()); ++pos) {
            const ScriptLine &row = m_rows[size_t(pos - 1)];
            QString name, value;
            if (row.kind != LineKind::Const || !splitConstant(row.text, &name, &value))
                continue;
            const QString key = Vocabulary::fold(name);
            const auto it = m_constants.constFind(key);
            if (it == m_constants.constEnd()) {
                m_constants.insert(key, {value, pos});
            } else if (it->value == value) {
                add(Severity::Warning, pos, QStringLiteral("constante « %1 » déjà définie %2, avec la même valeur")
                                                .arg(name, placeOf(it->row)));
            } else {
                add(Severity::Error, pos, QStringLiteral("constante « %1 » déjà définie %2 avec la valeur %3: elle vaut ici %4")
                                              .arg(name, placeOf(it->row), it->value, value));
            }
        }
    }

    void entry(int pos, const ScriptLine &row)
    {
        const Vocabulary *vocabulary = m_context.vocabulary;
        if (!vocabulary)
            return;
        const bool fact = row.kind == LineKind::Fact;
        QStringView text = row.text;
        if (fact && text.startsWith(RowText::NegationPrefix))
            text = text.mid(RowText::NegationPrefix.size());
        tokens(text, m_tokens);
        if (m_tokens.empty())
            return;
        const QStringView name = m_tokens.front();
        const Vocabulary::Entry *e = fact ? vocabulary->fact(name) : vocabulary->action(name);
        if (!e) {
            const QString near = fact ? vocabulary->closestFact(name) : vocabulary->closestAction(name);
            const QString what = fact ? QStringLiteral("fait inconnu « %1 »") : QStringLiteral("action inconnue « %1 »");
            add(Severity::Error, pos,
                what.arg(name)
                    + (near.isEmpty() ? (fact ? QStringLiteral(": aucun fait du catalogue ne porte ce nom")
                                              : QStringLiteral(": aucune action du catalogue ne porte ce nom"))
                                      : QStringLiteral(": vouliez-vous dire « %1 » ?").arg(near)));
            return;
        }
        const std::span<const QStringView> values = std::span(m_tokens).subspan(1);
        if (qsizetype(values.size()) != e->types.size()) {
            const qsizetype n = e->types.size();
            add(Severity::Error, pos,
                (n == 0 ? QStringLiteral("« %1 » n'attend aucun paramètre").arg(e->name)
                        : QStringLiteral("« %1 » attend %2 (%3)")
                              .arg(e->name,
                                   n == 1 ? QStringLiteral("1 paramètre") : QStringLiteral("%1 paramètres").arg(n),
                                   e->types.join(QStringLiteral(", "))))
                    + QStringLiteral("; la ligne en donne %1").arg(values.size()));
            return;
        }
        for (size_t i = 0; i < values.size(); ++i) {
            const Vocabulary::Type &type = vocabulary->type(e->typeIndex[i]);
            if (!type.allows(values[i]))
                refused(pos, e->types[qsizetype(i)], type, values[i].toString());
        }
    }

    // The name and the values of a fact's or an action's text: tokens end at
    // a blank; one that begins with a double quote ends after the next.
    static void tokens(QStringView text, std::vector<QStringView> &out)
    {
        out.clear();
        qsizetype i = 0;
        const qsizetype n = text.size();
        while (i < n) {
            while (i < n && text[i].isSpace())
                ++i;
            if (i >= n)
                break;
            qsizetype end = i + 1;
            if (text[i] == QLatin1Char('"')) {
                while (end < n && text[end] != QLatin1Char('"'))
                    ++end;
                end = qMin(end + 1, n);
            } else {
                while (end < n && !text[end].isSpace())
                    ++end;
            }
            out.push_back(text.mid(i, end - i));
            i = end;
        }
    }

    void refused(int pos, const QString &typeName, const Vocabulary::Type &type, const QString &value)
    {
        const auto constant = m_constants.constFind(Vocabulary::fold(value));
        if (constant != m_constants.constEnd()) {
            if (!type.allows(constant->value))
                add(Severity::Error, pos, QStringLiteral("la constante « %1 » vaut %2, que « %3 » ne permet pas (attendu: %4)")
                                              .arg(value, constant->value, typeName, type.description));
            return;
        }
        bool number = false;
        value.toInt(&number);
        const bool looksLikeName = !number && !value.startsWith(QLatin1Char('"'));
        if (looksLikeName && type.listed.isEmpty())
            add(Severity::Error, pos, QStringLiteral("constante non définie « %1 »: « %2 » attend %3")
                                          .arg(value, typeName, type.description));
        else if (looksLikeName)
            add(Severity::Error, pos, QStringLiteral("« %1 » n'est ni une valeur de « %2 » ni une constante définie (attendu: %3)")
                                          .arg(value, typeName, type.description));
        else
            add(Severity::Error, pos, QStringLiteral("« %1 » n'est pas une valeur de « %2 » (attendu: %3)")
                                          .arg(value, typeName, type.description));
    }

    void symbol(int pos, const QString &text)
    {
        if (!m_context.vocabulary)
            return;
        QString s;
        if (text.startsWith(RowText::IfNotPrefix))
            s = text.mid(RowText::IfNotPrefix.size()).trimmed();
        else if (text.startsWith(RowText::IfPrefix))
            s = text.mid(RowText::IfPrefix.size()).trimmed();
        if (!s.isEmpty() && !m_context.vocabulary->knowsSymbol(s))
            add(Severity::Warning, pos, QStringLiteral("symbole « %1 » absent du catalogue des symboles").arg(s));
    }

    void load(int pos, const QString &file)
    {
        if (m_context.folder.isEmpty() || file.isEmpty())
            return;
        if (!exists(file))
            add(Severity::Warning, pos, QStringLiteral("fichier chargé introuvable à côté du script: « %1 »").arg(file));
    }

    // The game's paths: "\\" (or "\") between folders, letters in any case,
    // ".per" when there is no extension.
    bool exists(const QString &file) const
    {
        QString path = file;
        path.replace(QLatin1String("\\\\"), QLatin1String("/")).replace(QLatin1Char('\\'), QLatin1Char('/'));
        const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
        if (parts.isEmpty())
            return false;
        QDir dir(m_context.folder);
        for (int i = 0; i < parts.size(); ++i) {
            const bool last = i == parts.size() - 1;
            QStringList names = {parts[i]};
            if (last && !parts[i].contains(QLatin1Char('.')))
                names << parts[i] + QStringLiteral(".per");
            QString found;
            const QStringList entries = dir.entryList(last ? QDir::Files : QDir::Dirs | QDir::NoDotAndDotDot);
            for (const QString &name : names)
                for (const QString &entry : entries)
                    if (found.isEmpty() && entry.compare(name, Qt::CaseInsensitive) == 0)
                        found = entry;
            if (found.isEmpty())
                return false;
            if (!last && !dir.cd(found))
                return false;
        }
        return true;
    }

    const std::vector<ScriptLine> &m_rows;
    const Context m_context;
    std::vector<Problem> m_found;
    std::vector<QStringView> m_tokens; // reused for each row
};

Checker::Checker(const std::vector<ScriptLine> &rows, const Context &context)
    : m(std::make_unique<Analysis>(rows, context))
{
}

Checker::~Checker() = default;

const std::vector<Problem> &Checker::constantProblems() const
{
    return m->m_constantProblems;
}

bool Checker::sameConstants(const Checker &other) const
{
    return m->m_constants == other.m->m_constants;
}

void Checker::check(int pos, std::vector<Problem> &out)
{
    m->check(pos, out);
}

std::vector<Problem> merge(std::vector<Problem> own, const Blocks::Structure &structure, const std::vector<ScriptLine> &rows)
{
    std::vector<Problem> blocks;
    for (const Blocks::Diagnostic &d : structure.diagnostics)
        blocks.push_back({Severity::Warning, d.row, rows[size_t(d.row - 1)].line, Blocks::describe(d)});
    std::vector<Problem> out;
    out.reserve(own.size() + blocks.size());
    std::merge(std::make_move_iterator(blocks.begin()), std::make_move_iterator(blocks.end()),
               std::make_move_iterator(own.begin()), std::make_move_iterator(own.end()), std::back_inserter(out),
               [](const Problem &a, const Problem &b) { return a.row < b.row; });
    return out;
}

std::vector<Problem> analyse(const std::vector<ScriptLine> &rows, const Blocks::Structure &structure,
                             const Context &context)
{
    Checker checker(rows, context);
    std::vector<Problem> own = checker.constantProblems();
    std::vector<Problem> found;
    for (int pos = 1; pos <= int(rows.size()); ++pos) {
        found.clear();
        checker.check(pos, found);
        // the constants' problems stand at their rows, among the others
        own.insert(own.end(), found.begin(), found.end());
    }
    std::stable_sort(own.begin(), own.end(), [](const Problem &a, const Problem &b) { return a.row < b.row; });
    return merge(std::move(own), structure, rows);
}

Counts count(const std::vector<Problem> &problems)
{
    Counts c;
    for (const Problem &p : problems)
        ++(p.severity == Severity::Error ? c.errors : c.warnings);
    return c;
}

QString describe(const Counts &counts)
{
    QStringList parts;
    if (counts.errors > 0)
        parts << (counts.errors == 1 ? QStringLiteral("1 erreur") : QStringLiteral("%1 erreurs").arg(counts.errors));
    if (counts.warnings > 0)
        parts << (counts.warnings == 1 ? QStringLiteral("1 avertissement")
                                       : QStringLiteral("%1 avertissements").arg(counts.warnings));
    return parts.join(QStringLiteral(", "));
}

} // namespace Problems
