// The editor window's problems: the pane, F8 and Maj+F8, and the vocabulary
// the script is checked against.
#include "plugfrm.h"

#include "problemspane.h"
#include "scriptdocument.h"
#include "scriptlistview.h"
#include "scriptproblems.h"
#include "ai.h"
#include "files/filecommands.h"
#include "shell/messages.h"
#include "catalogues/acts.h"
#include "catalogues/facts.h"
#include "catalogues/vocabulary.h"
#include "shell/options.h"

#include <QAction>
#include <QDir>
#include <QEvent>
#include <QMenu>
#include <QTimer>

void PlugFrm::buildProblems()
{
    ProblemsDock = new ProblemsPane(m_document->problems(), this);
    addDockWidget(Qt::BottomDockWidgetArea, ProblemsDock);
    ShowProblems = ProblemsDock->toggleViewAction();
    ShowProblems->setText(QStringLiteral("Problèmes"));
    ViewMnu->addSeparator();
    ViewMnu->addAction(ShowProblems);
    connect(ProblemsDock, &ProblemsPane::rowChosen, this, [this](int pos) {
        ListView1->selectRow(pos);
        // once the key is done with: Entrée in the list would edit the row
        QTimer::singleShot(0, ListView1, [list = ListView1] { list->setFocus(Qt::OtherFocusReason); });
    });

    EditMnu->addSeparator();
    NextProblem = EditMnu->addAction(QStringLiteral("Problème suivant"));
    NextProblem->setShortcut(QKeySequence(Qt::Key_F8));
    PreviousProblem = EditMnu->addAction(QStringLiteral("Problème précédent"));
    PreviousProblem->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F8));
    for (QAction *a : {NextProblem, PreviousProblem})
        a->setShortcutContext(Qt::WindowShortcut);
    connect(NextProblem, &QAction::triggered, this, [this] { goToProblem(1); });
    connect(PreviousProblem, &QAction::triggered, this, [this] { goToProblem(-1); });
    GoToDefinition = EditMnu->addAction(QStringLiteral("Aller à la définition"));
    GoToDefinition->setShortcut(QKeySequence(Qt::Key_F12));
    GoToDefinition->setShortcutContext(Qt::WindowShortcut);
    connect(GoToDefinition, &QAction::triggered, this, &PlugFrm::goToDefinition);
}

void PlugFrm::goToDefinition()
{
    const int pos = ListView1->selectedPosition();
    if (pos == 0) {
        Messages::info(this, QStringLiteral("Sélectionnez la ligne qui utilise la constante."));
        return;
    }
    const ScriptModel &rows = m_document->rows();
    const QStringList names = Problems::constantsUsed(rows.line(pos));
    // Defined in this script: its row.
    for (const QString &name : names) {
        const QString key = Vocabulary::fold(name);
        for (int r = 1; r <= rows.count(); ++r) {
            QString defined, value;
            if (Problems::constantOf(rows.line(r), &defined, &value) && Vocabulary::fold(defined) == key) {
                ListView1->selectRow(r);
                return;
            }
        }
    }
    // In another file of the AI: opened once the user agrees.
    const std::shared_ptr<const Ai> ai = m_document->problems().ai();
    for (const QString &name : names) {
        if (!ai)
            break;
        for (const Problems::Definition &d : ai->definitions(name)) {
            if (d.file == Ai::canonical(m_document->currentFile()))
                continue;
            if (!Messages::yesNo(this, QStringLiteral("La constante « %1 » est définie ligne %2 de « %3 ». Ouvrir ce fichier ?")
                                           .arg(name, QString::number(d.line), QDir::toNativeSeparators(d.file))))
                return;
            if (m_files->maybeSave() && m_files->open(d.file))
                ListView1->selectRow(qMax(1, m_document->rows().rowOfLine(d.line)));
            return;
        }
    }
    Messages::info(this, m_document->problems().findingAi()
                             ? QStringLiteral("Les fichiers de l'IA sont encore en lecture: réessayez dans un instant.")
                         : names.isEmpty() ? QStringLiteral("Cette ligne n'utilise aucune constante.")
                                           : QStringLiteral("Aucun fichier de l'IA ne définit « %1 ».").arg(names.join(QStringLiteral(" », « "))));
}

void PlugFrm::applyVocabulary()
{
    const bool loaded = Facts::FactCount > 0 && Acts::ActCount > 0;
    const bool wanted = Options::viewOption(QStringLiteral("CheckVocabulary"), true);
    if (!loaded || !wanted) {
        m_document->problems().setVocabulary(static_cast<const Vocabulary *>(nullptr));
    } else {
        m_document->problems().setVocabulary([this]() -> const Vocabulary * {
            if (!m_vocabulary)
                m_vocabulary = std::make_unique<Vocabulary>(Vocabulary::fromCatalogues());
            return m_vocabulary.get();
        });
    }
    ProblemsDock->setNote(!wanted ? QStringLiteral("Le vocabulaire des catalogues n'est pas vérifié: les options l'ont désactivé.")
                          : !loaded ? QStringLiteral("Le vocabulaire n'est pas vérifié: le catalogue des faits ou celui des "
                                                     "actions manque.")
                                    : QString());
}

void PlugFrm::goToProblem(int step)
{
    const std::vector<Problems::Problem> &all = m_document->problems().problems();
    if (all.empty())
        return;
    const int from = ListView1->selectedPosition();
    int target = step > 0 ? all.front().row : all.back().row; // round the ends
    if (step > 0) {
        for (const Problems::Problem &p : all)
            if (p.row > from) {
                target = p.row;
                break;
            }
    } else {
        for (auto p = all.rbegin(); p != all.rend(); ++p)
            if (p->row < from || from == 0) {
                target = p->row;
                break;
            }
    }
    ListView1->selectRow(target);
}

void PlugFrm::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || !isActiveWindow() || m_document->currentFile().isEmpty())
        return;
    const std::shared_ptr<const Ai> ai = m_document->problems().ai();
    if (!ai || !ai->unchangedOnDisk())
        m_document->problems().findAi();
}
