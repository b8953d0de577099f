#pragma once

#include "recovery.h"

#include <QDialog>

class FileCommands;
class QLabel;
class QPushButton;
class QTreeWidget;

// "Travail non enregistré...": the work editors left behind, of every
// script and wherever the script is now, with its script, when it was
// copied and its size. "Récupérer" opens one as unsaved changes of its
// script; "Supprimer" drops one for good, once the user agrees.
class LeftBehindFrm : public QDialog
{
    Q_OBJECT
public:
    LeftBehindFrm(FileCommands &commands, QWidget *parent);

    QLabel *Label1;
    QTreeWidget *List1; // script, copy, size
    QPushButton *Command1; // "Récupérer"
    QPushButton *Command2; // "Supprimer"
    QPushButton *Command3; // "Fermer"

public slots:
    void Command1_Click();
    void Command2_Click();

private:
    void fill();
    // The work selected; nullptr when none is.
    const Recovery::Left *selected() const;
    FileCommands &m_commands;
    QList<Recovery::Left> m_left;
};
