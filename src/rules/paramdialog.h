#pragma once

#include "catalogues/records.h"
#include "document/linebuilders.h"
#include "document/scriptline.h"

#include "editors/editorsupport.h"
#include <vector>

class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class ChooserModel;
class ParamListModel;

// What the fact and action editors share: a chooser of catalogue entries,
// the help of the chosen one, and one input field per parameter type of its
// header, laid out from the parameter catalogue. The editors differ in their
// number of fields, their catalogue and what surrounds the fields.
class ParamDialog : public ActivatedDialog
{
    Q_OBJECT
public:
    // Typing here narrows the chooser to the entries that contain the text
    // (any letter case).
    QLineEdit *FilterBox;
    QComboBox *Combo1;
    QPushButton *Command1; // OK
    QPushButton *Command2; // Annuler
    // Under the fields: the values another entry could not take over from
    // the last one; hidden when there is none.
    QLabel *LostValues;

    // True when the dialog was left with "Annuler" (or its close box).
    bool Cancel = false;

    // Puts the headers of records 1 to count in the chooser, each carrying
    // its record index as item data.
    void fillChooser(const std::vector<CatalogueRecord> &table, int count);
    // Parameter field n (from 1): its list and its text box. The list
    // offers the type's values and takes any typed value.
    QComboBox *listField(int n) const { return m_lists[n - 1]; }
    QLineEdit *textField(int n) const { return m_texts[n - 1]; }
    // 2 when text field n shows, 1 when list field n does, else 0.
    int fieldKind(int n) const;
    // The value field n writes: a chosen list entry's value part, or the
    // typed text without blanks around it, a text with blanks in double
    // quotes; empty when the field is hidden.
    QString value(int n) const;
    // The line of what was accepted. Editing, a dialog left as it was
    // filled gives the row's text back unchanged, whatever it holds.
    QString resultLine() const;

public slots:
    // Lays the parameter fields out for the chosen entry.
    void Combo1_Click();
    void FilterBox_Change(const QString &text);
    void reject() override; // "Annuler", Escape, the close box

protected:
    // kind is the kind of the rows the dialog makes (Fact or Act).
    ParamDialog(int fields, const std::vector<CatalogueRecord> &table, LineKind kind, QWidget *parent);
    QPlainTextEdit *helpBox() const { return m_help; }
    // The filter emptied and given the focus, every field hidden and the
    // first entry chosen; Cancel False; not editing.
    void resetFields();
    // Editing rowText, whose entry and values are text: chooses the entry
    // it names (one no catalogue entry names is shown under its own name)
    // and puts its values in the fields, a value the list does not offer
    // typed in. Values past the entry's fields get fields of their own.
    void fillFrom(const QString &rowText, QStringView text);
    // The name and the values in the fields.
    QString line() const;
    // The line the fields make as the caller writes it.
    virtual QString builtLine() const { return line(); }
    // Whether OK may close the dialog: not while the filter leaves no entry,
    // nor while a field the user changed (every field of a new line) is
    // empty ("Veuillez compléter tous les champs") or holds a value that
    // would break the line. Says why when not.
    bool acceptable();
    bool eventFilter(QObject *watched, QEvent *event) override;
    QGridLayout *m_layout;

private:
    void separatorChosen(QComboBox *list, int index);
    void showLabel(int i, const QString &caption, const QString &tip);
    int currentRecord() const;
    // The value field n holds, as typed or chosen.
    QString typed(int n) const;
    // Whether field n takes typed text (a text parameter's box).
    bool takesText(int n) const;
    // Whether field n differs from what the dialog was filled with.
    bool changed(int n) const;
    // Puts value in field i (from 0): a list entry that writes it, else
    // typed in.
    void setField(int i, const QString &value);
    // A value the user gave, carried from one entry to the next: its type
    // ("" when the entry gave it none) and its field (from 0).
    struct Carried {
        QString type;
        QString value;
        int place = 0;
    };
    // The values given in the fields of the entry left, then those no entry
    // took since; the fields cleared.
    std::vector<Carried> valuesGiven() const;
    // Lays out the carried values in the new entry's fields of the same
    // type: at the same place first, else in order. Says which are left.
    void carryOver(std::vector<Carried> given);
    const std::vector<CatalogueRecord> &m_table;
    const LineKind m_kind;
    // Editing: the row's text and name, the record its name matched (0 for
    // none: the chooser's first entry is then the name itself), and the
    // record, values and line the dialog was filled with.
    bool m_editing = false;
    QString m_rowText;
    QString m_lineName;
    int m_lineRecord = -1;
    int m_filledRecord = -1;
    QStringList m_filledValues;
    QString m_filledLine;
    ChooserModel *m_chooser;
    QPlainTextEdit *m_help;
    std::vector<QComboBox *> m_lists;
    std::vector<ParamListModel *> m_models; // behind m_lists
    std::vector<QLineEdit *> m_texts;
    std::vector<QLabel *> m_labels; // the type name beside each shown field
    QStringList m_fieldTypes;           // the type of each shown field
    std::vector<bool> m_given;          // fields the user (or the row) filled
    std::vector<Carried> m_lost;        // values no entry took since they were given
    // Fields shown for values the entry's header has no parameter for: an
    // empty one drops its value.
    std::vector<bool> m_unlisted;
};
