#pragma once

#include "document/linebuilders.h"

#include <QDialog>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

// The random-load editor "Chargement aléatoire de fichiers": up to 999
// possibilities, a file and a percentage each, seen one at a time and stepped
// through with two arrows. Files are named as written; one chosen with "..."
// by its base name. It places or rewrites its "RLoad" row itself. A new
// window for each opening.
class AddRandomLoad : public QDialog
{
    Q_OBJECT
public:
    static constexpr int MaxPossibilities = 999;

    explicit AddRandomLoad(QWidget *parent = nullptr);

    QLabel *Label1;
    QLineEdit *Text1; // number of possibilities
    QLineEdit *Text2; // number of the possibility on view
    QToolButton *UpDown1Up, *UpDown1Down; // the arrows beside Text2
    QLabel *Label2;
    QLineEdit *Text3; // file
    QPushButton *Command1; // "..."
    QLabel *Label3;
    QLineEdit *Text4; // percentage, digits only
    QLabel *Label4;   // the total of the percentages
    QPushButton *Command2; // OK
    QPushButton *Command3; // Annuler

    // Copied from the main window before an opening for adding: True puts
    // the new row at the end, False before the selected row.
    bool add = false;

    // The number in Text1 when it is a whole number from 1 to 999, else 0.
    int possibilityCount() const;

public slots:
    void UpDown1_DownClick();
    void UpDown1_UpClick();
    void Command1_Click();
    void Command2_Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Stores the possibility on view and shows the one Text2 names.
    void showPossibility();
    // The total of the percentages of the possibilities counted in Text1.
    void showTotal();
    std::vector<LineText::Possibility> m_table;
    int m_current = 1;
    // Editing: the row's text, and the number and possibilities read from
    // it; left so, the row keeps its text.
    QString m_rowText, m_filledCount;
    std::vector<LineText::Possibility> m_filled;
};
