#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// The parameter catalogue "Params.txt": what each parameter type of the fact
// and action headers offers.
namespace Params {

constexpr int MaxTypes = 50;
constexpr int MaxValues = 1000;

struct ParamType {
    QString name;
    QStringList values; // file order, leading spaces removed
};
// Type k (1 to ParamCount); type 0 holds the stray lines before the first one.
inline std::vector<ParamType> ParamTable(1);
inline qint16 ParamCount = 0;
inline const QString FileName = QStringLiteral("Params.txt");

// Empties the table and reads the catalogue.
void LoadParams();

// The first type named name exactly; 0 when none (an empty name never matches).
int findType(const QString &name);
// The value at position pos (from 1) of type k; empty past its end.
QString value(int k, int pos);

// The input field a parameter of a type gets: none, a list of entries (" "
// being a separator entry, never a valid choice), or free text.
//
// A list is kept as runs, a range of numbers as its bounds: a thousand
// full-range lines would otherwise make 65 million strings. Each number is
// offered once, where it first appears; ranges cover 16-bit numbers only, so
// a list has at most 65,536 numbers besides its listed values.
struct Field {
    enum Kind { None, List, Text } kind = None;

    // A listed value (or the separator " "), or the numbers first to last.
    struct Run {
        QString text; // null for numbers
        int first = 0;
        int last = 0;
        bool isNumbers() const { return text.isNull(); }
        int size() const { return isNumbers() ? last - first + 1 : 1; }
    };
    std::vector<Run> runs;

    int count() const { return m_ends.empty() ? 0 : m_ends.back(); }
    // Entry row (from 0) as the list shows it; empty past the end.
    QString entry(int row) const;
    bool isSeparator(int row) const;
    // The run holding row and that run's first row; -1 past the end.
    int runOf(int row, int *start = nullptr) const;
    // The first row of a run.
    int startOf(int run) const { return run == 0 ? 0 : m_ends[run - 1]; }

    void appendText(const QString &text);
    // The numbers of low..high not offered yet, in ascending order.
    void appendRange(int low, int high);

private:
    std::vector<int> m_ends; // one past each run's last row
    std::vector<std::pair<int, int>> m_offered; // disjoint, sorted, not adjacent
    void appendRun(Run run);
};
Field fieldFor(const QString &typeName);

// A range value "Num low high": its bounds, false when it is not one.
bool parseRange(const QString &value, int *low, int *high);

} // namespace Params
