#include "records.h"

#include "shell/fileservices.h"
#include "shell/pluginfolder.h"

#include <QDir>

namespace Catalogues {

namespace {
QStringList &problemList()
{
    static QStringList list;
    return list;
}

std::vector<LineProblem> &lineProblemList()
{
    static std::vector<LineProblem> list;
    return list;
}

// Runs of spaces made single; nothing else changes.
QString singleSpaced(QStringView s)
{
    QString out;
    out.reserve(s.size());
    for (QChar c : s) {
        if (c == QLatin1Char(' ') && out.endsWith(QLatin1Char(' ')))
            continue;
        out += c;
    }
    return out;
}
} // namespace

QString pathOf(const QString &fileName)
{
    return QDir(PluginFolder::path()).filePath(fileName);
}

void clearProblems()
{
    problemList().clear();
    lineProblemList().clear();
}

void reportLineProblem(const QString &fileName, int line, const QString &problem)
{
    lineProblemList().push_back({fileName, line, problem});
    reportProblem(fileName, QStringLiteral("ligne %1: %2").arg(QString::number(line), problem));
}

const std::vector<LineProblem> &lineProblems()
{
    return lineProblemList();
}

void reportProblem(const QString &fileName, const QString &problem)
{
    problemList().append(QStringLiteral("« %1 »: %2").arg(fileName, problem));
}

const QStringList &problems()
{
    return problemList();
}

QString problemsMessage()
{
    if (problemList().isEmpty())
        return {};
    return QStringLiteral("Certains catalogues n'ont pas pu être lus en entier; l'éditeur fonctionne "
                          "sans ce qui manque:\n\n")
        + problemList().join(QLatin1Char('\n'));
}

int loadRecords(const QString &fileName, QStringView marker, std::vector<CatalogueRecord> &table)
{
    table.assign(1, CatalogueRecord{});
    QString text, error;
    if (!FileServices::readTextFile(pathOf(fileName), text, error)) {
        reportProblem(fileName, error);
        return 0;
    }
    int ignored = 0;
    for (QStringView line : FileServices::splitLines(text)) {
        qsizetype cut = -1;
        if (line.startsWith(marker))
            cut = marker.size();
        else if (line.startsWith(QLatin1Char(' ')) && line.mid(1).startsWith(marker))
            cut = marker.size() + 1;
        if (cut >= 0) {
            if (int(table.size()) > MaxRecords) {
                ++ignored;
                continue;
            }
            table.push_back({singleSpaced(line.mid(cut)), QString()});
        } else if (ignored == 0) {
            QString &help = table.back().help;
            if (!help.isEmpty())
                help += QStringLiteral("\r\n");
            help += line;
        }
    }
    if (ignored > 0)
        reportProblem(fileName, QStringLiteral("plus de %1 entrées; les %2 suivantes sont ignorées.")
                                    .arg(QString::number(MaxRecords), QString::number(ignored)));
    return int(table.size()) - 1;
}

QString nameOf(const QString &header)
{
    const qsizetype lt = header.indexOf(QLatin1Char('<'));
    if (lt >= 0)
        return header.left(std::max<qsizetype>(0, lt - 1));
    const qsizetype desc = header.indexOf(QLatin1String(" ("));
    return desc < 0 ? header : header.left(desc);
}

QStringList paramTypes(const QString &header, int max)
{
    QStringList types;
    qsizetype pos = 0;
    while (types.size() < max) {
        const qsizetype lt = header.indexOf(QLatin1Char('<'), pos);
        if (lt < 0)
            break;
        const qsizetype gt = header.indexOf(QLatin1Char('>'), lt + 1);
        if (gt < 0 || gt == lt + 1)
            break;
        types.append(header.mid(lt + 1, gt - lt - 1));
        pos = gt + 1;
    }
    return types;
}

SplitLine splitLine(QStringView text, int max)
{
    SplitLine out;
    qsizetype end = text.indexOf(QLatin1Char(' '));
    out.name = (end < 0 ? text : text.left(end)).toString();
    while (end >= 0 && out.values.size() < max) {
        const qsizetype start = end + 1;
        if (start < text.size() && text[start] == QLatin1Char('"')) {
            const qsizetype close = text.indexOf(QLatin1Char('"'), start + 1);
            end = close < 0 ? -1 : text.indexOf(QLatin1Char(' '), close + 1);
            const qsizetype stop = close < 0 ? text.size() : close + 1;
            out.values.append(text.mid(start, stop - start).toString());
        } else {
            end = text.indexOf(QLatin1Char(' '), start);
            out.values.append(text.mid(start, end < 0 ? -1 : end - start).toString());
        }
    }
    return out;
}

int findByName(const std::vector<CatalogueRecord> &table, int count, const QString &name)
{
    for (int k = 1; k <= count && k < int(table.size()); ++k)
        if (nameOf(table[k].header) == name)
            return k;
    return 0;
}

} // namespace Catalogues
