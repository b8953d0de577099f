#pragma once

#include <QString>

// Qt's own texts (file chooser, standard buttons, context menus of text
// boxes) in French: Qt's French translations, installed while a control of
// the plug-in lives.
namespace FrenchQt {
// Installs the translations when the first control is made; false when no
// translation file was found (Qt's texts then stay in English).
bool install();
// Removes them when the last control goes.
void remove();
// The translation file in use, "" when none.
QString loadedFile();
} // namespace FrenchQt
