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
struct Field {
    enum Kind { None, List, Text } kind = None;
    QStringList entries;
};
Field fieldFor(const QString &typeName);

// A range value "Num low high": its bounds, false when it is not one.
bool parseRange(const QString &value, int *low, int *high);

} // namespace Params
