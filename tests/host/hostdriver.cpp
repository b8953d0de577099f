// A plug-in of the host that plays the user in a host started as a child
// process with a script to open: placed beside the real plug-in in a
// plug-ins folder of the test's own, it acts once the script shows, as
// VARDELO_PILOTE says, and prints what it sees on its standard output:
//   modifier   adds a blank line ("modifie"), then waits to be killed;
//   recuperer  prints the recovery bar ("barre: ..."), presses "Récupérer",
//              prints the status bar ("etat: ..."), saves without the
//              companion file and closes the host ("fin");
//   attendre   says "ouvert", then prints the bar about the script's file
//              once one shows ("barre: ..."), and waits to be killed.
#include "quorrinplugin.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <cstdio>
#include <functional>

namespace {
QAbstractButton *button(QWidget *in, const QString &text)
{
    for (QAbstractButton *b : in ? in->findChildren<QAbstractButton *>() : QList<QAbstractButton *>())
        if (b->text() == text && b->isVisible())
            return b;
    return nullptr;
}

QWidget *editorWithRows()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->windowTitle() == QLatin1String("Editeur de fichiers PER & AI pur Kelvarra") && w->isVisible()
            && w->findChild<QTableView *>()->model()->rowCount() > 0)
            return w;
    return nullptr;
}

// Calls then with what ready() gives once it gives something; gives up
// after ten seconds.
void when(std::function<QWidget *()> ready, std::function<void(QWidget *)> then, int triesLeft = 200)
{
    QTimer::singleShot(50, [=] {
        if (QWidget *w = ready())
            then(w);
        else if (triesLeft > 0)
            when(ready, then, triesLeft - 1);
        else
            QCoreApplication::exit(2);
    });
}

void say(const QString &line)
{
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

void recover(QWidget *editor)
{
    QAbstractButton *recovering = button(editor, QStringLiteral("Récupérer"));
    say(QStringLiteral("barre: ") + recovering->parentWidget()->findChild<QLabel *>()->text());
    recovering->click();
    QStringList status;
    for (QLabel *l : editor->findChild<QStatusBar *>()->findChildren<QLabel *>())
        status << l->text();
    say(QStringLiteral("etat: ") + status.join(QLatin1Char('|')));
    when(QApplication::activeModalWidget, [](QWidget *companion) { button(companion, QStringLiteral("Non"))->click(); });
    for (QAction *a : editor->findChildren<QAction *>())
        if (a->text() == QLatin1String("Enregistrer"))
            a->trigger();
    say(QStringLiteral("fin"));
    QApplication::closeAllWindows();
}
} // namespace

class HostDriver : public QObject, public QuorrinPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QuorrinPlugin_iid)
    Q_INTERFACES(QuorrinPlugin)
public:
    QWidget *createControl(QWidget *parent) override
    {
        if (qEnvironmentVariable("VARDELO_PILOTE") == QLatin1String("attendre"))
            when(editorWithRows, [](QWidget *editor) {
                say(QStringLiteral("ouvert"));
                const auto bar = [editor]() -> QWidget * {
                    for (QLabel *l : editor->findChildren<QLabel *>())
                        if (l->isVisible() && l->text().startsWith(QStringLiteral("Le fichier « ")))
                            return l;
                    return nullptr;
                };
                when(bar, [](QWidget *label) { say(QStringLiteral("barre: ") + static_cast<QLabel *>(label)->text()); });
            });
        else if (qEnvironmentVariable("VARDELO_PILOTE") == QLatin1String("modifier"))
            when(editorWithRows, [](QWidget *editor) {
                auto *kinds = editor->findChild<QComboBox *>();
                kinds->setCurrentIndex(kinds->findText(QStringLiteral("Ligne blanche")));
                button(editor, QStringLiteral("Ajouter"))->click();
                say(QStringLiteral("modifie"));
            });
        else
            when([] { return button(editorWithRows(), QStringLiteral("Récupérer")) ? editorWithRows() : nullptr; }, recover);
        return new QLabel(QStringLiteral("pilote de test"), parent);
    }
};

#include "hostdriver.moc"
