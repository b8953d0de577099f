// The editor window's commands on names: the name a problem proposes put in
// place, a constant renamed in every file of its AI, and the AI's constants
// offered to the value fields.
#include "plugfrm.h"

#include "ai.h"
#include "aiconstants.h"
#include "problemspane.h"
#include "scriptdocument.h"
#include "scriptlistview.h"
#include "scriptproblems.h"
#include "catalogues/vocabulary.h"
#include "shell/messages.h"

#include <QAction>
#include <QFileInfo>
#include <QInputDialog>
#include <QMenu>

void PlugFrm::buildNameCommands()
{
    FixProblem = EditMnu->addAction(QStringLiteral("Corriger le nom"));
    FixProblem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Period));
    FixProblem->setShortcutContext(Qt::WindowShortcut);
    connect(FixProblem, &QAction::triggered, this, &PlugFrm::fixSelectedRow);
    RenameConstant = EditMnu->addAction(QStringLiteral("Renommer la constante…"));
    connect(RenameConstant, &QAction::triggered, this, &PlugFrm::renameConstant);
    connect(ProblemsDock, &ProblemsPane::fixChosen, this, [this](int index) {
        const std::vector<Problems::Problem> &all = m_document->problems().problems();
        if (size_t(index) < all.size())
            applyFix(Problems::Problem(all[size_t(index)]));
    });
}

void PlugFrm::applyFix(const Problems::Problem &problem)
{
    const ScriptModel &rows = m_document->rows();
    if (problem.row < 1 || problem.row > rows.count())
        return;
    const QString text = Problems::fixed(problem, rows.text(problem.row));
    if (text.isEmpty() || !mayChangeForm(rows.keptFormAt(problem.row)))
        return;
    ListView1->selectRow(problem.row);
    openStep();
    setRowText(problem.row, text);
    closeStep();
}

void PlugFrm::fixSelectedRow()
{
    const int pos = ListView1->selectedPosition();
    if (pos > 0) {
        const auto [first, count] = m_document->problems().at(pos);
        const std::vector<Problems::Problem> &all = m_document->problems().problems();
        for (size_t i = first; i < first + count; ++i)
            if (all[i].hasFix()) {
                applyFix(Problems::Problem(all[i]));
                return;
            }
    }
    Messages::info(this, pos == 0 ? QStringLiteral("Sélectionnez la ligne à corriger.")
                                  : QStringLiteral("Aucun problème de cette ligne ne propose de nom à la place."));
}

QStringList PlugFrm::constantsFor(const QString &typeName)
{
    if (!m_vocabulary)
        m_vocabulary = std::make_unique<Vocabulary>(Vocabulary::fromCatalogues());
    const std::shared_ptr<const Ai> ai = m_document->problems().ai();
    return AiConstants::offered(AiConstants::known(m_document->rows().lines(), ai.get(), m_document->currentFile()),
                                m_vocabulary->type(typeName));
}

void PlugFrm::renameConstant()
{
    const int pos = ListView1->selectedPosition();
    const ScriptModel &rows = m_document->rows();
    const std::shared_ptr<const Ai> ai = m_document->problems().ai();
    // the constant the row defines, else the first it uses that the AI defines
    QString name, value;
    if (pos > 0 && !Problems::constantOf(rows.line(pos), &name, &value)) {
        const std::vector<AiConstants::Constant> known =
            AiConstants::known(rows.lines(), ai.get(), m_document->currentFile());
        for (const QString &used : Problems::constantsUsed(rows.line(pos)))
            for (const AiConstants::Constant &c : known)
                if (name.isEmpty() && Vocabulary::fold(c.name) == Vocabulary::fold(used))
                    name = c.name;
    }
    if (name.isEmpty()) {
        Messages::info(this, QStringLiteral("Sélectionnez la définition d'une constante, ou une ligne qui en utilise une."));
        return;
    }
    if (m_document->problems().findingAi()) {
        Messages::info(this, QStringLiteral("Les fichiers de l'IA sont encore en lecture: réessayez dans un instant."));
        return;
    }
    bool ok = false;
    const QString newName = QInputDialog::getText(this, QStringLiteral("Renommer la constante"),
                                                  QStringLiteral("Nouveau nom de « %1 » dans tous les fichiers de l'IA:").arg(name),
                                                  QLineEdit::Normal, name, &ok)
                                .trimmed();
    if (!ok || newName == name)
        return;
    AiConstants::Rename rename;
    QString error;
    if (!rename.prepare(rows.lines(), m_document->currentFile(), ai.get(), name, newName, error)) {
        Messages::info(this, error);
        return;
    }
    const QString folder = m_document->currentFile().isEmpty() ? QString() : QFileInfo(m_document->currentFile()).path();
    QString question = QStringLiteral("Renommer « %1 » en « %2 »: %3.").arg(name, newName, rename.summary(folder));
    if (!rename.files().empty())
        question += QStringLiteral("\n\nLes autres fichiers sont enregistrés aussitôt; ce script reste à enregistrer, "
                                   "et « Annuler » n'y défait que son propre changement.");
    if (!Messages::yesNo(this, question + QStringLiteral("\n\nContinuer ?")))
        return;
    for (const auto &[row, text] : rename.ownRows())
        if (!mayChangeForm(rows.keptFormAt(row)))
            return;
    if (!rename.write(error)) {
        Messages::error(this, error);
        return;
    }
    openStep(); // the script's places are renamed, and undone, as one
    for (const auto &[row, text] : rename.ownRows())
        setRowText(row, text);
    closeStep();
    if (!rename.files().empty())
        m_document->problems().findAi();
}
