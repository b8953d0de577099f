#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

// The load editor "Chargement": the script file a load names, as written
// (folders and extension kept); a file chosen with "..." is named by its base
// name. It places or rewrites its "Load" row itself. A new window for each
// opening.
class AddLoad : public QDialog
{
    Q_OBJECT
public:
    explicit AddLoad(QWidget *parent = nullptr);

    QLineEdit *Text1;
    QPushButton *Command1; // "..."
    QPushButton *Command2; // OK
    QPushButton *Command3; // Annuler

    // Copied from the main window before an opening for adding: True puts
    // the new row at the end, False before the selected row.
    bool add = false;

private:
    // Editing: the row's text, given back as it is when left unchanged.
    QString m_rowText;

public slots:
    void Command1_Click();
    void Command2_Click();
};
