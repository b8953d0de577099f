#include "params.h"

#include "records.h"
#include "shell/fileservices.h"

#include <QRegularExpression>

#include <algorithm>

namespace Params {

void LoadParams()
{
    ParamTable.assign(1, ParamType{});
    ParamCount = 0;
    QString text, error;
    if (!FileServices::readTextFile(Catalogues::pathOf(FileName), text, error)) {
        Catalogues::reportProblem(FileName, error);
        return;
    }
    int ignoredTypes = 0;
    QStringList tooLong;
    int number = 0;
    for (QStringView line : FileServices::splitLines(text)) {
        ++number;
        if (line.startsWith(QLatin1Char('<'))) {
            if (int(ParamTable.size()) > MaxTypes) {
                ++ignoredTypes;
                continue;
            }
            // Without ">", the rest of the line names the type, so its values
            // never join the type before.
            const qsizetype gt = line.indexOf(QLatin1Char('>'));
            ParamTable.push_back({line.mid(1, gt < 0 ? -1 : gt - 1).toString(), {}});
            continue;
        }
        if (ignoredTypes > 0)
            continue;
        ParamType &type = ParamTable.back();
        if (type.values.size() >= MaxValues) {
            if (type.values.size() == MaxValues && !tooLong.contains(type.name))
                tooLong.append(type.name);
            continue;
        }
        qsizetype lead = 0;
        while (lead < line.size() && line[lead] == QLatin1Char(' '))
            ++lead;
        type.values.append(line.mid(lead).toString());
        int low = 0, high = 0;
        if (type.values.back().startsWith(QLatin1String("Num")) && !parseRange(type.values.back(), &low, &high))
            Catalogues::reportLineProblem(FileName, number,
                                          QStringLiteral("intervalle mal formé « %1 »: il faut « Num BAS HAUT », deux "
                                                         "nombres entiers de -32768 à 32767; la ligne est ignorée")
                                              .arg(type.values.back().left(40)));
    }
    ParamCount = qint16(ParamTable.size() - 1);
    if (ignoredTypes > 0)
        Catalogues::reportProblem(FileName, QStringLiteral("plus de %1 types; les %2 suivants sont ignorés.")
                                                .arg(QString::number(MaxTypes), QString::number(ignoredTypes)));
    for (const QString &name : tooLong)
        Catalogues::reportProblem(FileName, QStringLiteral("le type <%1> a plus de %2 valeurs; les suivantes sont ignorées.")
                                                .arg(name.left(40), QString::number(MaxValues)));
}

int findType(const QString &name)
{
    if (name.isEmpty())
        return 0;
    for (int k = 1; k <= ParamCount; ++k)
        if (ParamTable[k].name == name)
            return k;
    return 0;
}

QString value(int k, int pos)
{
    if (k < 0 || k >= int(ParamTable.size()) || pos < 1 || pos > ParamTable[k].values.size())
        return {};
    return ParamTable[k].values[pos - 1];
}

bool parseRange(const QString &value, int *low, int *high)
{
    if (!value.startsWith(QLatin1String("Num")))
        return false;
    const QStringList bounds = value.mid(3).split(QRegularExpression(QStringLiteral("[ \t]+")), Qt::SkipEmptyParts);
    if (bounds.size() != 2)
        return false;
    bool okLow = false, okHigh = false;
    const short l = bounds[0].toShort(&okLow);
    const short h = bounds[1].toShort(&okHigh);
    if (!okLow || !okHigh)
        return false;
    *low = l;
    *high = h;
    return true;
}

QString Field::entry(int row) const
{
    int start = 0;
    const int k = runOf(row, &start);
    if (k < 0)
        return {};
    const Run &run = runs[size_t(k)];
    return run.isNumbers() ? QString::number(run.first + row - start) : run.text;
}

bool Field::isSeparator(int row) const
{
    const int k = runOf(row);
    return k >= 0 && runs[size_t(k)].text == QLatin1String(" ");
}

int Field::runOf(int row, int *start) const
{
    if (row < 0 || row >= count())
        return -1;
    const int k = int(std::upper_bound(m_ends.begin(), m_ends.end(), row) - m_ends.begin());
    if (start)
        *start = startOf(k);
    return k;
}

void Field::appendRun(Run run)
{
    m_ends.push_back(count() + run.size());
    runs.push_back(std::move(run));
}

void Field::appendText(const QString &text)
{
    appendRun({text.isNull() ? QStringLiteral("") : text, 0, 0});
}

void Field::appendRange(int low, int high)
{
    if (low > high)
        return;
    // The gaps of the numbers already offered within low..high, in order.
    auto first = std::lower_bound(m_offered.begin(), m_offered.end(), low - 1,
                                  [](const std::pair<int, int> &r, int v) { return r.second < v; });
    auto last = first;
    int from = low;
    for (; last != m_offered.end() && last->first <= high + 1; ++last) {
        if (last->first > from)
            appendRun({QString(), from, last->first - 1});
        from = qMax(from, last->second + 1);
    }
    if (from <= high)
        appendRun({QString(), from, high});
    // Merged with the offered intervals it touches.
    int mergedLow = low, mergedHigh = high;
    if (first != last) {
        mergedLow = qMin(low, first->first);
        mergedHigh = qMax(high, (last - 1)->second);
    }
    first = m_offered.erase(first, last);
    m_offered.insert(first, {mergedLow, mergedHigh});
}

Field fieldFor(const QString &typeName)
{
    Field field;
    const int k = findType(typeName);
    if (k == 0)
        return field;
    const QString first = value(k, 1);
    if (first.isEmpty())
        return field;
    if (first.compare(QLatin1String("textbox"), Qt::CaseInsensitive) == 0) {
        field.kind = Field::Text;
        return field;
    }
    field.kind = Field::List;
    enum { Start, Plain, Other } previous = Start;
    for (int pos = 1; pos <= MaxValues; ++pos) {
        const QString v = value(k, pos);
        if (v.isEmpty()) {
            // One empty line between plain values is a separator entry; any
            // other empty line ends the list.
            if (previous != Plain || value(k, pos + 1).isEmpty())
                break;
            field.appendText(QStringLiteral(" "));
            previous = Other;
        } else if (v.startsWith(QLatin1String("Num"))) {
            int low = 0, high = 0;
            if (parseRange(v, &low, &high))
                field.appendRange(low, high);
            previous = Other; // a malformed range is skipped
        } else {
            field.appendText(v);
            previous = Plain;
        }
    }
    return field;
}

} // namespace Params
