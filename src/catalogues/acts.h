#pragma once

#include "records.h"

// The action catalogue "Acts.txt" beside the plug-in.
namespace Acts {
inline std::vector<CatalogueRecord> ActTable(1);
inline qint16 ActCount = 0;
inline const QString FileName = QStringLiteral("Acts.txt");
inline const QString Marker = QStringLiteral("||--||");

// Empties the table and reads the catalogue.
void LoadActs();
} // namespace Acts
