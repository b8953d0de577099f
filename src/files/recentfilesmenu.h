#pragma once

#include <QMenu>

class ScriptDocument;

// "Fichiers récents": the last scripts opened or saved, kept in the settings.
// It follows the document: each file read or written comes first.
class RecentFilesMenu : public QMenu
{
    Q_OBJECT
public:
    RecentFilesMenu(ScriptDocument &document, QWidget *parent);

    // Shows the list as stored now.
    void refill();

signals:
    // The user chose the entry of path.
    void chosen(const QString &path);
};
