#pragma once

#include <QString>
#include <vector>

// The preprocessor symbol catalogue "prepross.txt": the symbols a
// conditional load can test, grouped in categories.
namespace Prepross {

constexpr int MaxEntries = 32768;

// A separator entry (from a category title) or a symbol entry.
struct SymbolEntry {
    QString listText; // what the symbol list shows
    QString category; // the title of the entry's category
};
inline std::vector<SymbolEntry> SymbolTable;
inline const QString FileName = QStringLiteral("prepross.txt");

// Number of the last entry; -1 when the table is empty.
inline int lastEntry() { return int(SymbolTable.size()) - 1; }

// Empties the table and reads the catalogue: a line indented by two blanks
// is a symbol, any other non-empty line a category title followed by its
// type line. A missing or unreadable file leaves the table empty; entries
// beyond the limit are ignored. Both are reported with the other catalogues.
void LoadSymbols();

// A separator's list text begins with "----".
bool isSeparator(const QString &listText);

} // namespace Prepross
