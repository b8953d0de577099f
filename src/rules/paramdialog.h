#pragma once

#include "catalogues/records.h"
#include "document/linebuilders.h"

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

    // True when the dialog was left with "Annuler" (or its close box).
    bool Cancel = false;

    // Puts the headers of records 1 to count in the chooser, each carrying
    // its record index as item data.
    void fillChooser(const std::vector<CatalogueRecord> &table, int count);
    // Parameter field n (from 1): its list and its text box.
    QComboBox *listField(int n) const { return m_lists[n - 1]; }
    QLineEdit *textField(int n) const { return m_texts[n - 1]; }
    // 2 when text field n shows, 1 when list field n does, else 0.
    int fieldKind(int n) const;
    // The fields as the line builders read them; kinds from t.
    std::vector<LineText::Param> params(const std::vector<int> &kinds) const;

public slots:
    // Lays the parameter fields out for the chosen entry.
    void Combo1_Click();
    void FilterBox_Change(const QString &text);
    void reject() override; // "Annuler", Escape, the close box

protected:
    ParamDialog(int fields, const std::vector<CatalogueRecord> &table, QWidget *parent);
    QPlainTextEdit *helpBox() const { return m_help; }
    // The filter emptied and given the focus, every field hidden and the
    // first entry chosen; Cancel False.
    void resetFields();
    // Chooses the entry named in text and the values after it.
    void fillFrom(QStringView text);
    // Whether OK may close the dialog: not while the filter leaves no entry,
    // nor ("Veuillez compléter tous les champs") while a shown text field is
    // empty. Says why when not.
    bool acceptable();
    bool eventFilter(QObject *watched, QEvent *event) override;
    QGridLayout *m_layout;

private:
    void separatorChosen(QComboBox *list, int index);
    const std::vector<CatalogueRecord> &m_table;
    ChooserModel *m_chooser;
    QPlainTextEdit *m_help;
    std::vector<QComboBox *> m_lists;
    std::vector<ParamListModel *> m_models; // behind m_lists
    std::vector<QLineEdit *> m_texts;
    std::vector<QLabel *> m_labels; // the type name beside each shown field
};
