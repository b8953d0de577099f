#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;
class PlugFrm;

namespace TestSupport {

// Runs handler on the next modal widget (dialog or message box) as soon as it
// is shown; arm it before the command that opens the dialog.
void onNextModal(std::function<void(QWidget *)> handler);

// A message box that will come: records its title and text into the given
// strings and presses the button with that text ("OK", "&Yes", ...). An empty
// button text presses the default button.
void answerNextMessage(QString *title, QString *text, const QString &button = QString());

// Opens the editor window as the user does: the control's button.
PlugFrm &openEditor();

// The rows of the editor as "kind|text" strings, for compact comparisons.
QStringList rows(const PlugFrm &frm);

// Chooses the kind of line to add in Combo1.
void chooseKind(PlugFrm &frm, const QString &caption);
// Selects a row as the user does, by a click on it.
void clickRow(PlugFrm &frm, int pos);

} // namespace TestSupport

#include <ostream>
// Readable QStrings in test failure messages.
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}
