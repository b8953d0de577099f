#include "recentfilesmenu.h"

#include "document/scriptdocument.h"
#include "recentfiles.h"

#include <QDir>

RecentFilesMenu::RecentFilesMenu(ScriptDocument &document, QWidget *parent)
    : QMenu(QStringLiteral("Fichiers récents"), parent)
{
    // The entries are made once and then only changed: an entry's own
    // command refills the menu, and must not delete it while it runs.
    for (int i = 0; i < RecentFiles::Max; ++i) {
        QAction *entry = addAction(QString());
        connect(entry, &QAction::triggered, this, [this, entry] { emit chosen(entry->data().toString()); });
    }
    connect(this, &QMenu::aboutToShow, this, &RecentFilesMenu::refill);
    connect(&document, &ScriptDocument::fileChanged, this, [this, &document] {
        if (document.currentFile().isEmpty())
            return;
        RecentFiles::add(document.currentFile());
        refill();
    });
    refill();
}

void RecentFilesMenu::refill()
{
    const QStringList paths = RecentFiles::list();
    const QList<QAction *> entries = actions();
    for (int i = 0; i < entries.size(); ++i) {
        QAction *entry = entries[i];
        const QString path = paths.value(i);
        entry->setVisible(!path.isEmpty());
        entry->setData(path);
        // The number is the entry's mnemonic; an "&" of the path is doubled
        // so that it shows as itself.
        entry->setText(QStringLiteral("&%1 ").arg(i + 1)
                       + QDir::toNativeSeparators(path).replace(QLatin1Char('&'), QStringLiteral("&&")));
    }
    setEnabled(!paths.isEmpty());
}
