#include "problems.h"

#include "ai.h"
#include "catalogues/vocabulary.h"
#include "linebuilders.h"

#include <QDir>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <span>
#include <unordered_map>

namespace Problems {

QString severityName(Severity severity)
{
    return severity == Severity::Error ? QStringLiteral("erreur") : QStringLiteral("attention");
}

QString quoted(QStringView text)
{
    constexpr qsizetype Longest = 40;
    QString out;
    for (qsizetype i = 0; i < text.size() && i < Longest; ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x20 || c == 0x7f)
            out += QStringLiteral("\\x%1").arg(int(c), 2, 16, QLatin1Char('0'));
        else
            out += text[i];
    }
    if (text.size() > Longest)
        out += QStringLiteral("…");
    return out;
}

QString fixed(const Problem &problem, const QString &rowText)
{
    const Problem::Fix &f = problem.fix;
    if (!problem.hasFix() || f.at < 0 || QStringView(rowText).mid(f.at, f.was.size()) != f.was)
        return {};
    return QString(rowText).replace(f.at, f.was.size(), f.text);
}

bool constantOf(const ScriptLine &row, QString *name, QString *value)
{
    const QString &text = row.text;
    if (row.kind != LineKind::Const || !text.startsWith(RowText::ConstantPrefix))
        return false;
    const qsizetype from = RowText::ConstantPrefix.size();
    const qsizetype eq = text.indexOf(RowText::ConstantSeparator, from);
    if (eq < 0)
        return false;
    *name = text.mid(from, eq - from).trimmed();
    *value = text.mid(eq + RowText::ConstantSeparator.size()).trimmed();
    return !name->isEmpty();
}

QStringList constantsUsed(const ScriptLine &row)
{
    QStringList words;
    QString name, value;
    if (constantOf(row, &name, &value)) {
        words << value;
    } else if (row.kind == LineKind::Fact || row.kind == LineKind::Act) {
        QString text = row.text;
        if (text.startsWith(RowText::NegationPrefix))
            text = text.mid(RowText::NegationPrefix.size());
        text.replace(QLatin1Char('('), QLatin1Char(' ')).replace(QLatin1Char(')'), QLatin1Char(' '));
        words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (!words.isEmpty())
            words.removeFirst(); // the fact's or the action's name
    }
    return words.filter(QRegularExpression(QStringLiteral("^[^\"0-9-]")));
}

void Condition::step(const ScriptLine &row)
{
    if (row.kind != LineKind::Prep)
        return;
    const QString &text = row.text;
    if (text.startsWith(RowText::IfNotPrefix))
        m_open.emplace_back(Vocabulary::fold(QStringView(text).mid(RowText::IfNotPrefix.size()).trimmed()), false);
    else if (text.startsWith(RowText::IfPrefix))
        m_open.emplace_back(Vocabulary::fold(QStringView(text).mid(RowText::IfPrefix.size()).trimmed()), true);
    else if (text == RowText::Else && !m_open.empty())
        m_open.back().second = !m_open.back().second;
    else if (text == RowText::EndIf && !m_open.empty())
        m_open.pop_back();
}

QString Condition::key(const QString &outer) const
{
    if (m_open.empty())
        return outer;
    QStringList parts = outer.isEmpty() ? QStringList() : outer.split(QLatin1Char(' '));
    for (const auto &[symbol, defined] : m_open)
        parts << (defined ? QLatin1Char('+') : QLatin1Char('-')) + symbol;
    parts.sort();
    parts.removeDuplicates();
    return parts.join(QLatin1Char(' '));
}

bool Condition::possible(const QString &key)
{
    const QStringList parts = key.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString &p : parts)
        if (p.startsWith(QLatin1Char('+')) && parts.contains(QLatin1Char('-') + p.mid(1)))
            return false;
    return true;
}

namespace {
struct Constant {
    QString value;
    int row = 0;
    QString condition;
    bool operator==(const Constant &other) const { return value == other.value && condition == other.condition; }
};

bool isNumber(QStringView value)
{
    bool number = false;
    (void)value.toInt(&number);
    return number;
}

// The keywords a line of text the reader could not place may have meant.
const QStringList &keywords()
{
    static const QStringList list = {QStringLiteral("(defrule"), QStringLiteral("(defconst"), QStringLiteral("(load"),
                                     QStringLiteral("(load-random"), QStringLiteral("#load-if-defined"),
                                     QStringLiteral("#load-if-not-defined"), QStringLiteral("#else"),
                                     QStringLiteral("#end-if")};
    return list;
}

bool isGroupKeyword(QStringView word)
{
    for (const char *k : {"not", "and", "or", "nand", "nor"})
        if (word.compare(QLatin1StringView(k), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}
} // namespace

class Checker::Analysis
{
public:
    Analysis(const std::vector<ScriptLine> &rows, const Context &context) : m_rows(rows), m_context(context)
    {
        if (context.ai)
            m_outer = context.ai->condition;
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
    QHash<QString, std::vector<Constant>> m_constants;

private:
    void checkRow(int pos)
    {
        const ScriptLine &row = m_rows[size_t(pos - 1)];
        switch (row.kind) {
        case LineKind::Fact:
            fact(pos, row.text);
            break;
        case LineKind::Act:
            entry(pos, row.text, false);
            break;
        case LineKind::Prep:
            symbol(pos, row.text);
            break;
        case LineKind::Load:
            load(pos, row.text);
            break;
        case LineKind::RLoad:
            randomLoad(pos, row.text);
            break;
        case LineKind::Text:
            text(pos, row.text);
            break;
        default:
            break;
        }
    }

    void add(Severity severity, int pos, const QString &message)
    {
        m_found.push_back({severity, pos, m_rows[size_t(pos - 1)].line, message});
    }
    QString placeOf(int pos) const { return rowPlace(m_rows[size_t(pos - 1)], pos); }
    // "ligne 4 de « consts.per »": where another file of the AI defines a constant.
    QString placeOf(const Definition &d) const
    {
        const QString file = m_context.folder.isEmpty() ? d.file : QDir(m_context.folder).relativeFilePath(d.file);
        return QStringLiteral("ligne %1 de « %2 »").arg(QString::number(d.line), quoted(file));
    }

    // The definitions of key in the other files of the AI that read this
    // script, each once: nullptr for none.
    const std::vector<Definition> *outside(const QString &key) const
    {
        const Surroundings *ai = m_context.ai.get();
        if (!ai || !ai->constants || ai->entries.empty())
            return nullptr;
        auto cached = m_outside.find(key);
        if (cached == m_outside.end()) {
            std::vector<Definition> kept;
            if (const auto it = ai->constants->constFind(key); it != ai->constants->constEnd()) {
                const auto reads = [ai](int entry) {
                    return std::find(ai->entries.begin(), ai->entries.end(), entry) != ai->entries.end();
                };
                // the first entry's reading first: it tells what comes before
                for (bool first : {true, false})
                    for (const Definition &d : *it) {
                        if (d.file == ai->file || !reads(d.entry) || first != (d.entry == ai->entries.front()))
                            continue;
                        if (std::none_of(kept.begin(), kept.end(),
                                         [&](const Definition &k) { return k.file == d.file && k.line == d.line; }))
                            kept.push_back(d);
                    }
            }
            cached = m_outside.emplace(key, std::move(kept)).first;
        }
        return cached->second.empty() ? nullptr : &cached->second;
    }
    // Whether d is met before this script in the reading of its first entry.
    bool before(const Definition &d) const
    {
        const Surroundings *ai = m_context.ai.get();
        return ai && !ai->entries.empty() && d.entry == ai->entries.front() && d.order < ai->from;
    }
    bool known(const QString &key) const { return m_constants.contains(key) || outside(key); }

    void defineConstants()
    {
        Condition condition;
        for (int pos = 1; pos <= int(m_rows.size()); ++pos) {
            const ScriptLine &row = m_rows[size_t(pos - 1)];
            condition.step(row);
            QString name, value;
            if (!constantOf(row, &name, &value))
                continue;
            const QString key = Vocabulary::fold(name);
            const QString holds = condition.key(m_outer);
            std::vector<Constant> &defined = m_constants[key];
            // Defined twice only where both certainly hold together: under
            // the same symbols. The game sets the symbols of the others.
            if (Condition::possible(holds)) {
                const auto same = std::find_if(defined.begin(), defined.end(),
                                               [&](const Constant &c) { return c.condition == holds; });
                if (same != defined.end())
                    twice(pos, name, value, placeOf(same->row), same->value);
                else if (const std::vector<Definition> *others = outside(key))
                    for (const Definition &d : *others)
                        if (before(d) && d.condition == holds) {
                            twice(pos, name, value, placeOf(d), d.value);
                            break;
                        }
            }
            defined.push_back({value, pos, holds});
        }
        for (auto it = m_constants.cbegin(); it != m_constants.cend(); ++it)
            for (const Constant &c : *it)
                loop(it.key(), c);
    }

    void twice(int pos, const QString &name, const QString &value, const QString &first, const QString &firstValue)
    {
        if (firstValue == value)
            add(Severity::Warning, pos, QStringLiteral("constante « %1 » déjà définie %2, avec la même valeur")
                                            .arg(quoted(name), first));
        else
            add(Severity::Error, pos, QStringLiteral("constante « %1 » déjà définie %2 avec la valeur %3: elle vaut ici %4")
                                          .arg(quoted(name), first, quoted(firstValue), quoted(value)));
    }

    // The values a constant's definitions give, each followed through the
    // constants it names. A name met again on the way is not followed.
    template<typename F>
    void eachDefinition(const QString &key, F &&f) const
    {
        if (const auto own = m_constants.constFind(key); own != m_constants.constEnd())
            for (const Constant &c : *own)
                f(c.value);
        if (const std::vector<Definition> *others = outside(key))
            for (const Definition &d : *others)
                f(d.value);
    }
    bool namesConstant(const QString &value) const
    {
        return !value.startsWith(QLatin1Char('"')) && !isNumber(value) && known(Vocabulary::fold(value));
    }
    QStringList finalValues(const QString &key) const
    {
        QStringList values;
        QSet<QString> seen{key};
        std::vector<QString> pending{key};
        while (!pending.empty()) {
            const QString next = std::move(pending.back());
            pending.pop_back();
            eachDefinition(next, [&](const QString &value) {
                if (!namesConstant(value)) {
                    if (!values.contains(value))
                        values << value;
                    return;
                }
                const QString k = Vocabulary::fold(value);
                if (!seen.contains(k)) {
                    seen.insert(k);
                    pending.push_back(k);
                }
            });
        }
        return values;
    }

    // A constant defined, through others, as itself: reported at each of its
    // own definitions that starts the loop.
    void loop(const QString &key, const Constant &c)
    {
        if (!namesConstant(c.value))
            return;
        // each name met, with the name whose definition named it
        QHash<QString, QString> namedBy;
        const QString first = Vocabulary::fold(c.value);
        namedBy.insert(first, key);
        std::vector<QString> pending{first};
        while (!pending.empty()) {
            const QString next = std::move(pending.back());
            pending.pop_back();
            if (next == key) {
                QStringList names{quoted(key)};
                for (QString at = namedBy.value(key); at != key; at = namedBy.value(at))
                    names.prepend(quoted(at));
                names.prepend(quoted(key));
                add(Severity::Error, c.row, QStringLiteral("constante « %1 » définie en boucle: %2")
                                                .arg(quoted(key), names.join(QStringLiteral(" → "))));
                return;
            }
            eachDefinition(next, [&](const QString &value) {
                const QString k = Vocabulary::fold(value);
                if (namesConstant(value) && !namedBy.contains(k)) {
                    namedBy.insert(k, next);
                    pending.push_back(k);
                }
            });
        }
    }

    // A fact's row: one fact, or a group of them written inside it
    // ("(not (or (a) (b)))"): each fact of the group is checked.
    void fact(int pos, const QString &rowText)
    {
        QStringView text = rowText;
        if (text.startsWith(RowText::NegationPrefix))
            text = text.mid(RowText::NegationPrefix.size());
        tokens(text, m_tokens);
        if (m_tokens.empty())
            return;
        if (!text.startsWith(QLatin1Char('(')) && !isGroupKeyword(m_tokens.front())) {
            entry(pos, text, true);
            return;
        }
        // each "(" opens a group or holds one fact, whatever the depth
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text[i] != QLatin1Char('('))
                continue;
            qsizetype end = i + 1, depth = 1;
            bool quotedText = false;
            for (; end < text.size() && depth > 0; ++end) {
                const QChar c = text[end];
                if (c == QLatin1Char('"'))
                    quotedText = !quotedText;
                else if (!quotedText && c == QLatin1Char('('))
                    ++depth;
                else if (!quotedText && c == QLatin1Char(')'))
                    --depth;
            }
            const QStringView inner = text.mid(i + 1, end - i - 1 - (depth == 0 ? 1 : 0)).trimmed();
            tokens(inner, m_tokens);
            if (!m_tokens.empty() && !isGroupKeyword(m_tokens.front()) && !inner.contains(QLatin1Char('(')))
                entry(pos, inner, true);
        }
    }

    void entry(int pos, QStringView text, bool fact)
    {
        const Vocabulary *vocabulary = m_context.vocabulary;
        if (!vocabulary)
            return;
        tokens(text, m_tokens);
        if (m_tokens.empty())
            return;
        const QStringView name = m_tokens.front();
        const Vocabulary::Entry *e = fact ? vocabulary->fact(name) : vocabulary->action(name);
        if (!e) {
            const QString near = fact ? vocabulary->closestFact(name) : vocabulary->closestAction(name);
            const QString what = fact ? QStringLiteral("fait inconnu « %1 »") : QStringLiteral("action inconnue « %1 »");
            add(Severity::Error, pos,
                what.arg(quoted(name))
                    + (near.isEmpty() ? (fact ? QStringLiteral(": aucun fait du catalogue ne porte ce nom")
                                              : QStringLiteral(": aucune action du catalogue ne porte ce nom"))
                                      : QStringLiteral(": vouliez-vous dire « %1 » ?").arg(quoted(near))));
            proposeFix(pos, name, near);
            return;
        }
        const std::span<const QStringView> values = std::span(m_tokens).subspan(1);
        if (qsizetype(values.size()) != e->types.size()) {
            const qsizetype n = e->types.size();
            const QString given = QStringLiteral("; la ligne en donne %1").arg(values.size());
            if (n == 0)
                add(Severity::Error, pos, QStringLiteral("« %1 » n'attend aucun paramètre").arg(quoted(e->name)) + given);
            else
                add(Severity::Error, pos,
                    QStringLiteral("« %1 » attend %2 (%3)")
                            .arg(quoted(e->name),
                                 n == 1 ? QStringLiteral("1 paramètre") : QStringLiteral("%1 paramètres").arg(n),
                                 quoted(e->types.join(QStringLiteral(", "))))
                        + given);
            return;
        }
        // the tokens are views of text, which outlives them here
        const std::vector<QStringView> copy(values.begin(), values.end());
        for (size_t i = 0; i < copy.size(); ++i) {
            const Vocabulary::Type &type = vocabulary->type(e->typeIndex[i]);
            if (type.judge(copy[i]) != Vocabulary::Type::Verdict::Allowed)
                refused(pos, e->types[qsizetype(i)], type, copy[i]);
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

    void refused(int pos, const QString &typeName, const Vocabulary::Type &type, QStringView written)
    {
        const QString value = written.toString();
        using Verdict = Vocabulary::Type::Verdict;
        const QString expected = type.description.isEmpty() ? QStringLiteral("aucune valeur") : type.description;
        const QString key = Vocabulary::fold(value);
        if (namesConstant(value)) {
            // the worst of the values it may take
            QString worst;
            Verdict verdict = Verdict::Allowed;
            for (const QString &v : finalValues(key)) {
                const Verdict judged = type.judge(v);
                if (judged > verdict) {
                    verdict = judged;
                    worst = v;
                }
            }
            if (verdict == Verdict::Refused)
                add(Severity::Error, pos, QStringLiteral("la constante « %1 » vaut %2, que « %3 » ne permet pas (attendu: %4)%5")
                                              .arg(quoted(value), quoted(worst), quoted(typeName), expected, definedAt(key, QStringLiteral("; définie "), QString())));
            else if (verdict == Verdict::Step)
                add(Severity::Warning, pos, QStringLiteral("la constante « %1 » vaut %2, que « %3 » ne propose pas (proposé: %4)%5")
                                                .arg(quoted(value), quoted(worst), quoted(typeName), expected, definedAt(key, QStringLiteral("; définie "), QString())));
            return;
        }
        const bool number = isNumber(value);
        const bool looksLikeName = !number && !value.startsWith(QLatin1Char('"'));
        // another file of the AI, not read yet, may define it
        if (looksLikeName && m_context.ai && !m_context.ai->complete && type.judge(value) == Verdict::Refused)
            return;
        if (type.judge(value) == Verdict::Step)
            add(Severity::Warning, pos, QStringLiteral("« %1 » n'est pas une valeur que propose « %2 » (proposé: %3)")
                                            .arg(quoted(value), quoted(typeName), expected));
        else if (looksLikeName) {
            QString near;
            const QString message = type.listed.isEmpty()
                                        ? QStringLiteral("constante non définie « %1 »: « %2 » attend %3")
                                              .arg(quoted(value), quoted(typeName), expected)
                                        : QStringLiteral("« %1 » n'est ni une valeur de « %2 » ni une constante définie (attendu: %3)")
                                              .arg(quoted(value), quoted(typeName), expected);
            add(Severity::Error, pos, message + nearConstant(key, &near));
            proposeFix(pos, written, near);
        }
        else
            add(Severity::Error, pos, QStringLiteral("« %1 » n'est pas une valeur de « %2 » (attendu: %3)")
                                          .arg(quoted(value), quoted(typeName), expected));
    }

    // "ligne 2 de « consts.per »": where another file of the AI defines the
    // constant key, "" when this script does (its own lines change as it is
    // edited), or none does.
    QString definedAt(const QString &key) const
    {
        if (m_constants.contains(key))
            return {};
        if (const std::vector<Definition> *others = outside(key); others && !others->empty())
            return placeOf(others->front());
        return {};
    }
    QString definedAt(const QString &key, const QString &before, const QString &after) const
    {
        const QString place = definedAt(key);
        return place.isEmpty() ? QString() : before + place + after;
    }

    // "; vouliez-vous dire « seuil-ble » (définie ligne 2) ?" for a name a
    // letter or two from a constant of the AI, "" when none is.
    QString nearConstant(const QString &key, QString *writtenName) const
    {
        const int limit = std::min(2, int(key.size()) / 3);
        QString best;
        int bestDistance = limit + 1;
        const auto consider = [&](const QString &name) {
            if (std::abs(int(name.size() - key.size())) > limit)
                return;
            const int d = Vocabulary::distance(key, name, limit);
            if (d < bestDistance || (d == bestDistance && name < best)) {
                best = name;
                bestDistance = d;
            }
        };
        for (auto it = m_constants.cbegin(); it != m_constants.cend(); ++it)
            consider(it.key());
        if (m_context.ai && m_context.ai->constants)
            for (auto it = m_context.ai->constants->cbegin(); it != m_context.ai->constants->cend(); ++it)
                if (outside(it.key()))
                    consider(it.key());
        if (best.isEmpty() || bestDistance > limit)
            return {};
        *writtenName = nameOf(best);
        return QStringLiteral("; vouliez-vous dire « %1 »%2 ?").arg(quoted(best), definedAt(best, QStringLiteral(" (définie "), QStringLiteral(")")));
    }

    // The constant key as its first definition writes it.
    QString nameOf(const QString &key) const
    {
        if (const auto own = m_constants.constFind(key); own != m_constants.constEnd() && !own->empty()) {
            QString name, value;
            if (constantOf(m_rows[size_t(own->front().row - 1)], &name, &value))
                return name;
        }
        if (const std::vector<Definition> *others = outside(key))
            return others->front().name;
        return key;
    }

    // The last problem added proposes near for name, a view of row pos's text.
    void proposeFix(int pos, QStringView name, const QString &near)
    {
        const QString &text = m_rows[size_t(pos - 1)].text;
        const qsizetype at = name.data() - text.constData();
        if (near.isEmpty() || m_found.empty() || at < 0 || at + name.size() > text.size())
            return;
        m_found.back().fix = {at, name.toString(), near};
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
            add(Severity::Warning, pos, QStringLiteral("symbole « %1 » absent du catalogue des symboles").arg(quoted(s)));
    }

    void load(int pos, const QString &file)
    {
        if (m_context.folder.isEmpty() || file.isEmpty())
            return;
        auto found = m_loadFound.constFind(file);
        if (found == m_loadFound.constEnd())
            found = m_loadFound.insert(file, !Ai::resolve(m_context.folder, file).isEmpty());
        if (!*found)
            add(Severity::Warning, pos, QStringLiteral("fichier chargé introuvable dans le dossier de l'IA: « %1 »").arg(quoted(file)));
    }

    void randomLoad(int pos, const QString &text)
    {
        int total = 0;
        QStringList files;
        for (const LineText::Possibility &p : LineText::randomLoadPossibilities(text)) {
            if (!files.contains(p.file))
                load(pos, p.file);
            files << p.file;
            total += p.percentage.toInt();
        }
        if (total > 100)
            add(Severity::Warning, pos, QStringLiteral("les possibilités du chargement aléatoire font %1 % (plus de 100 %)")
                                            .arg(total));
    }

    // Text the reader could not place in a form: the game refuses it.
    void text(int pos, const QString &text)
    {
        const QStringView trimmed = QStringView(text).trimmed();
        qsizetype end = 0;
        while (end < trimmed.size() && !trimmed[end].isSpace() && (end == 0 || trimmed[end] != QLatin1Char('(')))
            ++end;
        const QStringView start = trimmed.left(end);
        const QString word = Vocabulary::fold(start);
        // a random load whose names the row cannot hold apart is the game's own form
        if (word == QLatin1String("(load-random"))
            return;
        QString meant;
        if (start.size() > 1) {
            int best = std::min(2, std::max(1, int(start.size() - 1) / 3)) + 1;
            for (const QString &k : keywords()) {
                if (k[0] != start[0])
                    continue;
                const int d = Vocabulary::distance(word, k, 2);
                if (d > 0 && d < best) {
                    best = d;
                    meant = k.startsWith(QLatin1Char('#')) ? k : k.mid(1);
                }
            }
        }
        const QString message = QStringLiteral("texte hors de toute forme: « %1 »").arg(quoted(start.isEmpty() ? trimmed : start));
        add(Severity::Error, pos,
            meant.isEmpty() ? message : message + QStringLiteral(": vouliez-vous dire « %1 » ?").arg(meant));
    }

    const std::vector<ScriptLine> &m_rows;
    const Context m_context;
    QString m_outer; // the condition the AI loads the script under
    mutable std::unordered_map<QString, std::vector<Definition>> m_outside; // by outside()
    std::vector<Problem> m_found;
    std::vector<QStringView> m_tokens; // reused for each row
    QHash<QString, bool> m_loadFound; // each name looked for once in a check
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

std::vector<Problem> Checker::checkRows(std::vector<int> &positions, int rowCount)
{
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    std::vector<Problem> found;
    for (int pos : positions)
        if (pos >= 1 && pos <= rowCount)
            check(pos, found);
    return found;
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
