// A plug-in of the host that plays the user in a host started as a child
// process: placed beside the real plug-in in a plug-ins folder of the
// test's own, it opens the editor with the plug-in's button, then does what
// VARDELO_PILOTE says on the script VARDELO_PILOTE_SCRIPT, and prints what
// it sees on its standard output:
//   modifier   opens the script and adds a blank line ("modifie"), then
//              waits to be killed;
//   recuperer  opens the script, prints the recovery bar ("barre: ..."),
//              presses "Récupérer", prints the status bar's mark ("etat:
//              ..."), saves (no companion file) and closes the host ("fin").
#include "quorrinplugin.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <cstdio>
#include <functional>

namespace {
void say(const QString &line)
{
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

QWidget *window(const QString &title)
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->windowTitle() == title && w->isVisible())
            return w;
    return nullptr;
}

QAbstractButton *button(QWidget *in, const QString &text)
{
    for (QAbstractButton *b : in->findChildren<QAbstractButton *>())
        if (b->text() == text && b->isVisible())
            return b;
    return nullptr;
}

QAction *command(QWidget *editor, const QString &menu, const QString &text)
{
    for (QAction *m : editor->findChild<QMenuBar *>()->actions())
        if (m->menu() && m->text().remove(QLatin1Char('&')) == menu)
            for (QAction *a : m->menu()->actions())
                if (a->text() == text)
                    return a;
    return nullptr;
}

// Calls then once ready() holds, polling; gives up after a few seconds.
void when(std::function<bool()> ready, std::function<void()> then, int triesLeft = 100)
{
    QTimer::singleShot(50, [=] {
        if (ready())
            then();
        else if (triesLeft > 0)
            when(ready, then, triesLeft - 1);
        else {
            say(QStringLiteral("abandon"));
            QCoreApplication::exit(2);
        }
    });
}

// Answers the next modal window, once it shows.
void onModal(std::function<void(QWidget *)> answer)
{
    when([] { return QApplication::activeModalWidget() != nullptr; },
         [answer] { answer(QApplication::activeModalWidget()); });
}

void drive(QWidget *host)
{
    const QString step = qEnvironmentVariable("VARDELO_PILOTE");
    const QString script = qEnvironmentVariable("VARDELO_PILOTE_SCRIPT");
    button(host, QStringLiteral("Kelvarra PER"))->click();
    QWidget *editor = window(QStringLiteral("Editeur de fichiers PER & AI pur Kelvarra"));
    onModal([script](QWidget *chooser) {
        // typed into its name field, which has the focus
        chooser->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(script);
        QMetaObject::invokeMethod(chooser, "accept");
    });
    command(editor, QStringLiteral("Fichier"), QStringLiteral("Ouvrir"))->trigger();
    if (step == QLatin1String("modifier")) {
        auto *kinds = editor->findChild<QComboBox *>();
        kinds->setCurrentIndex(kinds->findText(QStringLiteral("Ligne blanche")));
        button(editor, QStringLiteral("Ajouter"))->click();
        say(QStringLiteral("modifie"));
        return;
    }
    when([editor] { return button(editor, QStringLiteral("Récupérer")) != nullptr; }, [host, editor] {
        QAbstractButton *recover = button(editor, QStringLiteral("Récupérer"));
        say(QStringLiteral("barre: ") + recover->parentWidget()->findChild<QLabel *>()->text());
        recover->click();
        QStringList status;
        for (QLabel *l : editor->findChild<QStatusBar *>()->findChildren<QLabel *>())
            status << l->text();
        say(QStringLiteral("etat: ") + status.join(QLatin1Char('|')));
        onModal([](QWidget *w) { button(w, QStringLiteral("Non"))->click(); }); // no companion file
        command(editor, QStringLiteral("Fichier"), QStringLiteral("Enregistrer"))->trigger();
        say(QStringLiteral("fin"));
        host->close();
    });
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
        auto *control = new QLabel(QStringLiteral("pilote de test"), parent);
        // once the host shows, with every control placed
        QTimer::singleShot(0, control, [control] { drive(control->window()); });
        return control;
    }
};

#include "hostdriver.moc"
