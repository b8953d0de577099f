#pragma once

#include <QString>
#include <functional>

// Read access to the machine's registry. Off Windows it is the registry of the
// user's Wine prefix ($WINEPREFIX, else ~/.wine): HKLM from system.reg, HKCU
// from user.reg, HKCR from HKLM\Software\Classes.
namespace Reg {

// "HKCU\", "HKLM\", "HKCR\" for the root codes 0, 1, 2. Any other code reports
// "La valeur de l'HKEY est incorrecte" and gives "IncorrectValue", so that the
// read that follows fails.
QString RootPrefix(int root);
// The value named by prefix + path (the key's path, a backslash, the value's
// name) into value; false, with the French reason in error, when the key or
// the value is missing.
bool ReadRegistryValue(int root, const QString &path, QString &value, QString &error);

// Where messages of this module go (the windows install a message box).
void setMessageHandler(std::function<void(const QString &)> handler);
// The Wine prefix read off Windows.
QString winePrefix();

} // namespace Reg
