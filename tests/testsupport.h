#pragma once

#include <QStyleOptionViewItem>

#include "coresupport.h"

// The Qt classes most window tests drive, included once for them all.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

class AddFactMain;
class PlugFrm;

namespace TestSupport {

// Runs handler on the next modal widget (dialog or message box) as soon as it
// is shown; arm it before the command that opens the dialog.
void onNextModal(std::function<void(QWidget *)> handler);

// A message box that will come: records its title and text into the given
// strings and presses the button with that text ("OK", "&Yes", ...). An empty
// button text presses the default button.
void answerNextMessage(QString *title, QString *text, const QString &button = QString());

// Answers a file chooser with path ("" cancels); records its title.
inline std::function<void(QWidget *)> fileAnswer(const QString &path, QString *title = nullptr)
{
    return [=](QWidget *w) {
        auto *d = qobject_cast<QFileDialog *>(w);
        ASSERT_NE(d, nullptr) << w->metaObject()->className();
        if (title)
            *title = d->windowTitle();
        if (path.isEmpty())
            return d->reject();
        d->selectFile(path);
        QMetaObject::invokeMethod(d, "accept");
    };
}
inline void chooseFile(const QString &path, QString *title = nullptr) { onNextModal(fileAnswer(path, title)); }

// Opens the editor window as the user does: the control's button.
PlugFrm &openEditor();

// The rows of the editor as "kind|text" strings, for compact comparisons.
QStringList rows(const PlugFrm &frm);
QRgb colourOf(const PlugFrm &frm, int pos);
// How the list draws row pos (1-based): its colour, font and background.
QStyleOptionViewItem drawnAs(const PlugFrm &frm, int pos);

// Chooses the kind of line in Combo1, then Ajouter or Insérer.
void add(PlugFrm &frm, const QString &kind);
void insert(PlugFrm &frm, const QString &kind);
// Selects a row as the user does, by a click on it; edit clicks Editer then.
void clickRow(PlugFrm &frm, int pos);
void edit(PlugFrm &frm, int pos);

// The rule composer, opened by Ajouter on "Règle"; compose ticks an option
// and clicks a command of it.
AddFactMain &openComposer(PlugFrm &frm);
void compose(QRadioButton *option, QPushButton *command);

inline void click(QAbstractButton *button) { QTest::mouseClick(button, Qt::LeftButton); }
// Runs command (or clicks button); the text of the message box it brings,
// answered with answer.
inline QString messageDuring(const std::function<void()> &command, const QString &answer = QString())
{
    QString text;
    answerNextMessage(nullptr, &text, answer);
    command();
    return text;
}
inline QString messageAfter(QAbstractButton *button, const QString &answer = QString())
{
    return messageDuring([button] { click(button); }, answer);
}
// Typing into a field, accents included (QTest::keyClicks knows only ASCII).
inline void typeText(QWidget *field, const QString &text)
{
    for (QChar c : text)
        for (QTest::KeyAction action : {QTest::Press, QTest::Release})
            QTest::sendKeyEvent(action, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
}
// A click on a check box or option button, on its indicator.
inline void tick(QAbstractButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}
// Chooses the entry of a list with that text.
inline void choose(QComboBox *combo, const QString &text)
{
    const int i = combo->findText(text);
    ASSERT_GE(i, 0) << text.toStdString();
    combo->setCurrentIndex(i);
}
// Keys through the window system to the focused widget of window, as a user's.
inline void press(QWidget *window, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(window->windowHandle(), key, modifiers);
}
inline void type(QWidget *window, const char *text)
{
    for (const char *c = text; *c; ++c)
        QTest::keyClick(window->windowHandle(), *c);
}
// What a window manager does when a window shows or its dialog closes (the
// headless platform leaves it to the tests).
inline void activate(QWidget *window)
{
    window->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window));
}

// A plug-in folder of its own for the catalogues a test writes; the
// earlier folder comes back after.
struct CatalogueFolder {
    CatalogueFolder();
    ~CatalogueFolder();
    // Writes text in the game's code page.
    void write(const QString &name, const QString &text);
    QTemporaryDir dir;
    QString saved;
};

// The editor as the user opens it, saving without the companion file
// question, choosers starting in the test's folder; closed unasked after.
class EditorTest : public ::testing::Test
{
protected:
    void TearDown() override;
    PlugFrm &editor();
    // Writes bytes to path and opens it through Fichier > Ouvrir, dropping
    // unsaved rows unasked.
    PlugFrm &open(const QByteArray &bytes);
    PlugFrm &reopen();

    QTemporaryDir dir;
    const QString path = dir.filePath("ia.per");
};

// Runs fill on the next modal dialog, which must be a T; then OK (its
// default button, as Entrée) unless fill closed it.
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
        for (QPushButton *b : d->template findChildren<QPushButton *>())
            if (d->isVisible() && b->isDefault())
                click(b);
    });
}

// The commands that open a dialog, with fill answering it as answerDialog
// does; the dialog's class is that of fill's parameter.
template <class F> struct DialogOf : DialogOf<decltype(&F::operator())> {};
template <class C, class T> struct DialogOf<void (C::*)(T &) const> { using type = T; };
template <class F> void answer(F fill) { answerDialog<typename DialogOf<F>::type>(fill); }
template <class F> void add(PlugFrm &frm, const QString &kind, F fill) { answer(fill); add(frm, kind); }
template <class F> void insert(PlugFrm &frm, const QString &kind, F fill) { answer(fill); insert(frm, kind); }
template <class F> void edit(PlugFrm &frm, int pos, F fill) { answer(fill); edit(frm, pos); }
template <class F> void click(QAbstractButton *button, F fill) { answer(fill); click(button); }
template <class F> void compose(QRadioButton *option, QPushButton *command, F fill)
{
    answer(fill);
    compose(option, command);
}
template <class F> void trigger(QAction *action, F fill) { answer(fill); action->trigger(); }

} // namespace TestSupport
