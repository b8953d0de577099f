#pragma once

#include "filecommands.h"

#include <QFrame>

class QBoxLayout;
class QLabel;
class QPushButton;

// A bar above the list that tells something about the script's file
// without stopping the user: what it says and up to two buttons.
class FileBar : public QFrame
{
    Q_OBJECT
public:
    explicit FileBar(QWidget *parent = nullptr);

    QLabel *Label1;
    QPushButton *Command1; // "Récupérer", "Recharger"
    QPushButton *Command2; // "Ignorer", "Fermer"

    // Shows text with buttons named first and second (none for "").
    void say(const QString &text, const QString &first, const QString &second);
};

// The editor window's bars over the file commands: the work an editor
// left behind ("Récupérer", "Ignorer"), the script changed or removed by
// another program ("Recharger", "Ignorer"), and the work no longer kept
// safe (a recovery file or a lock that cannot be written: "Fermer").
class FileBars : public QObject
{
    Q_OBJECT
public:
    FileBars(FileCommands &commands, ScriptDocument &document, QBoxLayout *listColumn, QWidget *window);

    FileBar *RecoveryBar;
    FileBar *DiskBar;
    FileBar *WarningBar;

private:
    void show(FileCommands::Notice kind, const QString &message);
    FileCommands &m_commands;
    ScriptDocument &m_document;
    // The script each bar speaks of: it goes when another is shown.
    QString m_recoveryFor, m_diskFor;
};
