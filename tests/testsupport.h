#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <gtest/gtest.h>
#include <QWidget>

class QAbstractButton;
class QComboBox;
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

// Typing into a field, accents included (QTest::keyClicks knows only ASCII).
void typeText(QWidget *field, const QString &text);
// A click on a check box or option button, on its indicator.
void tick(QAbstractButton *button);
// Chooses the entry of a list with that text.
void choose(QComboBox *combo, const QString &text);

// Runs fill on the next modal dialog, which must be a T.
template <class T>
void answerDialog(std::function<void(T &)> fill)
{
    onNextModal([fill](QWidget *w) {
        T *d = dynamic_cast<T *>(w);
        if (!d) {
            ADD_FAILURE() << "unexpected window " << w->metaObject()->className();
            w->close();
            return;
        }
        fill(*d);
    });
}

} // namespace TestSupport

#include <ostream>
// Readable QStrings in test failure messages.
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}
