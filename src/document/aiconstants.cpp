#include "aiconstants.h"

#include "ai.h"
#include "files/saveopen.h"
#include "problems.h"
#include "scriptmodel.h"
#include "shell/fileservices.h"

#include <QDir>
#include <QHash>
#include <QSet>
#include <algorithm>

namespace AiConstants {

namespace {
bool isNumber(QStringView value)
{
    bool number = false;
    (void)value.toInt(&number);
    return number;
}

QString named(const QString &path)
{
    return QDir::toNativeSeparators(path);
}
} // namespace

std::vector<Constant> known(const std::vector<ScriptLine> &rows, const Ai *ai, const QString &ownFile)
{
    // the first definition of each name: the script's own first
    std::vector<Constant> found;
    QHash<QString, int> index;
    const auto define = [&](const QString &name, const QString &value) {
        const QString key = Vocabulary::fold(name);
        if (!index.contains(key)) {
            index.insert(key, int(found.size()));
            found.push_back({name, value});
        }
    };
    const auto defineRows = [&](const std::vector<ScriptLine> &lines) {
        for (const ScriptLine &row : lines) {
            QString name, value;
            if (Problems::constantOf(row, &name, &value))
                define(name, value);
        }
    };
    defineRows(rows);
    if (ai) {
        const QString own = ownFile.isEmpty() ? QString() : Ai::canonical(ownFile);
        for (const Ai::File &file : ai->files())
            if (file.path != own)
                defineRows(file.rows);
    }
    // a constant named as another's value takes that one's, to the end of the chain
    const std::vector<Constant> given = found;
    for (Constant &c : found) {
        QSet<QString> seen{Vocabulary::fold(c.name)};
        QString value = c.value;
        while (!value.startsWith(QLatin1Char('"')) && !isNumber(value)) {
            const QString key = Vocabulary::fold(value);
            const auto it = index.constFind(key);
            if (it == index.constEnd() || seen.contains(key))
                break;
            seen.insert(key);
            value = given[size_t(*it)].value;
        }
        c.value = value;
    }
    std::sort(found.begin(), found.end(), [](const Constant &a, const Constant &b) {
        return a.name.compare(b.name, Qt::CaseInsensitive) < 0;
    });
    return found;
}

QStringList offered(const std::vector<Constant> &constants, const Vocabulary::Type &type)
{
    QStringList entries;
    for (const Constant &c : constants)
        if (type.allows(c.value))
            entries << QStringLiteral("%1 (constante: %2)").arg(c.name, c.value);
    return entries;
}

std::vector<Place> places(const std::vector<ScriptLine> &rows, QStringView name)
{
    std::vector<Place> out;
    const QString key = Vocabulary::fold(name);
    for (int pos = 1; pos <= int(rows.size()); ++pos) {
        const ScriptLine &row = rows[size_t(pos - 1)];
        const QString &text = row.text;
        QString defined, value;
        if (Problems::constantOf(row, &defined, &value)) {
            // "Constante: name = value": the name, and a value naming it
            const qsizetype from = RowText::ConstantPrefix.size();
            const qsizetype eq = text.indexOf(RowText::ConstantSeparator, from);
            if (Vocabulary::fold(defined) == key)
                out.push_back({pos, text.indexOf(defined, from), defined.size()});
            if (Vocabulary::fold(value) == key)
                out.push_back({pos, text.indexOf(value, eq + RowText::ConstantSeparator.size()), value.size()});
            continue;
        }
        if (row.kind != LineKind::Fact && row.kind != LineKind::Act)
            continue;
        // the values of each fact or action: the words after its name,
        // texts in double quotes aside; "(" starts a fact (or a group)
        qsizetype i = text.startsWith(RowText::NegationPrefix) ? RowText::NegationPrefix.size() : 0;
        bool nameNext = true;
        const qsizetype n = text.size();
        while (i < n) {
            const QChar c = text[i];
            if (c.isSpace() || c == QLatin1Char(')')) {
                ++i;
            } else if (c == QLatin1Char('(')) {
                nameNext = true;
                ++i;
            } else if (c == QLatin1Char('"')) {
                const qsizetype close = text.indexOf(QLatin1Char('"'), i + 1);
                i = close < 0 ? n : close + 1;
                nameNext = false;
            } else {
                qsizetype end = i;
                while (end < n && !text[end].isSpace() && text[end] != QLatin1Char('(') && text[end] != QLatin1Char(')'))
                    ++end;
                if (!nameNext && Vocabulary::fold(QStringView(text).mid(i, end - i)) == key)
                    out.push_back({pos, i, end - i});
                nameNext = false;
                i = end;
            }
        }
    }
    return out;
}

std::vector<std::pair<int, QString>> renamed(const std::vector<ScriptLine> &rows, const std::vector<Place> &places,
                                             const QString &newName)
{
    std::vector<std::pair<int, QString>> out;
    // from the end of each row, so that the places before keep their offsets
    for (auto p = places.rbegin(); p != places.rend(); ++p) {
        if (out.empty() || out.back().first != p->row)
            out.emplace_back(p->row, rows[size_t(p->row - 1)].text);
        out.back().second.replace(p->at, p->length, newName);
    }
    std::reverse(out.begin(), out.end());
    return out;
}

QString nameProblem(const QString &newName)
{
    if (newName.isEmpty())
        return QStringLiteral("Veuillez entrer le nouveau nom de la constante.");
    for (const QChar c : newName) {
        if (c.isSpace())
            return QStringLiteral("Le nom de la constante ne peut pas contenir d'espace: il couperait la ligne du script.");
        if (c == QLatin1Char('"') || c == QLatin1Char(';') || c == QLatin1Char('(') || c == QLatin1Char(')'))
            return QStringLiteral("Le nom de la constante ne peut pas contenir le caractère «%1»: il couperait la ligne "
                                  "du script.")
                .arg(c);
    }
    if (isNumber(newName) || newName.front().isDigit() || newName.front() == QLatin1Char('-'))
        return QStringLiteral("Le nom de la constante « %1 » serait lu comme un nombre: commencez-le par une lettre.")
            .arg(newName);
    return {};
}

bool Rename::prepare(const std::vector<ScriptLine> &rows, const QString &ownFile, const Ai *ai, const QString &name,
                     const QString &newName, QString &error)
{
    m_ownRows.clear();
    m_files.clear();
    m_ownPlaces = 0;
    error = nameProblem(newName);
    if (!error.isEmpty())
        return false;
    const QString key = Vocabulary::fold(name);
    for (const Constant &c : known(rows, ai, ownFile))
        if (Vocabulary::fold(c.name) == Vocabulary::fold(newName) && Vocabulary::fold(newName) != key) {
            error = QStringLiteral("Une constante « %1 » existe déjà dans l'IA: choisissez un autre nom.").arg(c.name);
            return false;
        }

    const std::vector<Place> own = places(rows, name);
    m_ownPlaces = int(own.size());
    m_ownRows = renamed(rows, own, newName);
    if (!ai)
        return true;
    const QString ownPath = ownFile.isEmpty() ? QString() : Ai::canonical(ownFile);
    for (const Ai::File &file : ai->files()) {
        if (file.path == ownPath)
            continue;
        QByteArray bytes;
        if (!FileServices::readFileBytes(file.path, bytes, error))
            return false;
        SaveOpen::ReadResult read = SaveOpen::readScriptBytes(bytes);
        const std::vector<Place> found = places(read.rows, name);
        if (found.empty())
            continue;
        const std::vector<std::pair<int, QString>> changes = renamed(read.rows, found, newName);
        ScriptModel model;
        model.setScript(std::move(read.rows), std::move(read.source));
        for (const auto &[pos, text] : changes) {
            if (model.keptFormAt(pos) != ScriptLine::NoForm) {
                error = QStringLiteral("La ligne %1 de « %2 » est gardée telle qu'elle a été lue (l'éditeur ne pourrait "
                                       "pas la réécrire sans en changer le contenu): renommez-y « %3 » à la main.")
                            .arg(QString::number(model.line(pos).line), named(file.path), name);
                return false;
            }
            model.setText(pos, text);
        }
        SaveOpen::SaveText saved;
        if (!SaveOpen::buildScriptBytes(model.lines(), model.source(), saved, error))
            return false;
        m_files.push_back({file.path, int(found.size()), std::move(bytes), std::move(saved.bytes)});
    }
    return true;
}

QString Rename::summary(const QString &folder) const
{
    const auto count = [](int n) {
        return n == 1 ? QStringLiteral("1 endroit") : QStringLiteral("%1 endroits").arg(n);
    };
    QStringList parts;
    if (m_ownPlaces > 0)
        parts << QStringLiteral("%1 dans ce script").arg(count(m_ownPlaces));
    for (const File &f : m_files)
        parts << QStringLiteral("%1 dans « %2 »")
                     .arg(count(f.places), named(folder.isEmpty() ? f.path : QDir(folder).relativeFilePath(f.path)));
    return parts.join(QStringLiteral(", "));
}

bool Rename::write(QString &error) const
{
    size_t done = 0;
    for (; done < m_files.size(); ++done) {
        const File &f = m_files[done];
        QByteArray now;
        if (!FileServices::readFileBytes(f.path, now, error))
            break;
        if (now != f.before) {
            error = QStringLiteral("Le fichier « %1 » a été modifié depuis sa lecture: renommez de nouveau.").arg(named(f.path));
            break;
        }
        if (!FileServices::saveFile(f.path, f.after, error))
            break;
    }
    if (done == m_files.size())
        return true;
    // what was written goes back as it was: the AI stays as one
    QStringList unrestored;
    for (size_t k = 0; k < done; ++k) {
        QString ignored;
        if (!FileServices::saveFile(m_files[k].path, m_files[k].before, ignored))
            unrestored << QStringLiteral("« %1 »").arg(named(m_files[k].path));
    }
    error += unrestored.isEmpty()
                 ? QStringLiteral(" Aucun fichier n'a été renommé.")
                 : QStringLiteral(" Ces fichiers, déjà renommés, n'ont pas pu être remis comme avant: %1.")
                       .arg(unrestored.join(QStringLiteral(", ")));
    return false;
}

} // namespace AiConstants
