#pragma once

#include "records.h"

// The fact catalogue "Facts.txt" beside the plug-in.
namespace Facts {
// Record k (1 to FactCount) is the k-th record of the file; record 0 holds
// the stray lines before the first one.
inline std::vector<CatalogueRecord> FactTable(1);
inline qint16 FactCount = 0;
inline const QString FileName = QStringLiteral("Facts.txt");
inline const QString Marker = QStringLiteral("|||---|||");

// Empties the table and reads the catalogue.
void LoadFacts();
} // namespace Facts
