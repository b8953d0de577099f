#pragma once

#include "document/publicvars.h"
#include "document/scriptline.h"

#include <QDialog>
#include <QShowEvent>

class QLineEdit;
class QString;

// A dialog whose every showing runs its activation, Form_Activate.
class ActivatedDialog : public QDialog
{
public:
    using QDialog::QDialog;

protected:
    virtual void Form_Activate() = 0;
    void showEvent(QShowEvent *event) override
    {
        QDialog::showEvent(event);
        if (!event->spontaneous())
            Form_Activate();
    }
};

// The single instance of a line editor that is hidden between uses: created
// on first use, destroyed only when the editor window or the plug-in closes.
template <class T>
class HiddenBetweenUses
{
public:
    static T &instance()
    {
        if (!s_instance)
            s_instance = new T;
        return *s_instance;
    }
    static T *loaded() { return s_instance; }
    static void unload()
    {
        if (!s_instance)
            return;
        if (PublicVars::closing())
            delete s_instance;
        else
            s_instance->hide();
    }

protected:
    ~HiddenBetweenUses() { s_instance = nullptr; }

private:
    static inline T *s_instance = nullptr;
};

namespace EditorSupport {
// A one-line box stays one line: a pasted line break becomes a blank, so no
// text can break the script file.
void keepOnOneLine(QLineEdit *box);
// Why a name typed for a script line cannot be written ("" when it can): a
// double quote, ";", "(" or ")" — or a blank where none is allowed — would
// break the line. what names the field, with its article ("Le nom").
QString nameProblem(const QString &name, const QString &what, bool blanksAllowed);
// False, saying so over dialog, when a row of that kind and text would not
// read back as written (a character would break its script line).
bool readsBack(QWidget *dialog, LineKind kind, const QString &text);
// The editor window the dialogs stand over (none when it is closed).
QWidget *dialogParent();
// The text and kind of the editor window's selected row, and its new text.
QString selectedRowText();
LineKind selectedRowKind();
void setSelectedRowText(const QString &text);
// Editing, the selected row's text becomes text; adding, a new row goes to
// the end (add) or before the selected row.
void rewriteOrPlace(bool add, const QString &text, QRgb colour, LineKind kind);
} // namespace EditorSupport
