// The editor window's problems: the pane, F8 and Maj+F8, and the vocabulary
// the script is checked against.
#include "plugfrm.h"

#include "problemspane.h"
#include "scriptdocument.h"
#include "scriptlistview.h"
#include "scriptproblems.h"
#include "catalogues/acts.h"
#include "catalogues/facts.h"
#include "catalogues/vocabulary.h"
#include "shell/options.h"

#include <QAction>
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
