#include "problemspane.h"

#include "scriptproblems.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QStyle>
#include <QTreeView>
#include <QVBoxLayout>

// The problems as the pane lists them: where, then what.
class ProblemListModel : public QAbstractTableModel
{
public:
    explicit ProblemListModel(ScriptProblems &problems, QObject *parent)
        : QAbstractTableModel(parent), m_problems(problems)
    {
        connect(&problems, &ScriptProblems::changed, this, [this] {
            beginResetModel();
            endResetModel();
        });
    }
    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_problems.problems().size());
    }
    int columnCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : 2; }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        return section == 0 ? QStringLiteral("Ligne") : QStringLiteral("Problème");
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        const std::vector<Problems::Problem> &all = m_problems.problems();
        if (!index.isValid() || size_t(index.row()) >= all.size())
            return {};
        const Problems::Problem &p = all[size_t(index.row())];
        if (role == Qt::DisplayRole)
            return index.column() == 0 ? (p.line > 0 ? QString::number(p.line) : QStringLiteral("rangée %1").arg(p.row))
                                       : p.message;
        if (role == Qt::DecorationRole && index.column() == 0)
            return QApplication::style()->standardIcon(p.severity == Problems::Severity::Error
                                                           ? QStyle::SP_MessageBoxCritical
                                                           : QStyle::SP_MessageBoxWarning);
        if (role == Qt::ToolTipRole)
            return Problems::severityName(p.severity) + QStringLiteral(": ") + p.message;
        if (role == Qt::UserRole)
            return p.row;
        return {};
    }

private:
    ScriptProblems &m_problems;
};

ProblemsPane::ProblemsPane(ScriptProblems &problems, QWidget *parent)
    : QDockWidget(QStringLiteral("Problèmes"), parent), m_problems(problems),
      m_model(new ProblemListModel(problems, this))
{
    setObjectName(QStringLiteral("ProblemsPane"));
    auto *inside = new QWidget(this);
    auto *layout = new QVBoxLayout(inside);
    layout->setContentsMargins(2, 2, 2, 2);
    Label1 = new QLabel(inside);
    Label1->setWordWrap(true);
    Label1->hide();
    List1 = new QTreeView(inside);
    List1->setRootIsDecorated(false);
    List1->setUniformRowHeights(true);
    List1->setModel(m_model);
    List1->header()->setStretchLastSection(true);
    List1->setColumnWidth(0, List1->fontMetrics().horizontalAdvance(QStringLiteral("rangée 00000")) + 32);
    layout->addWidget(Label1);
    layout->addWidget(List1);
    setWidget(inside);
    connect(List1, &QTreeView::activated, this, &ProblemsPane::choose);
    List1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(List1, &QTreeView::customContextMenuRequested, this, &ProblemsPane::showMenu);
}

void ProblemsPane::showMenu(const QPoint &at)
{
    const QModelIndex index = List1->indexAt(at);
    const std::vector<Problems::Problem> &all = m_problems.problems();
    if (!index.isValid() || size_t(index.row()) >= all.size())
        return;
    const int problem = index.row();
    QMenu menu(List1);
    QAction *go = menu.addAction(QStringLiteral("Aller à la ligne"));
    connect(go, &QAction::triggered, this, [this, row = all[size_t(problem)].row] { emit rowChosen(row); });
    if (all[size_t(problem)].hasFix()) {
        QAction *fix = menu.addAction(QStringLiteral("Remplacer par « %1 »").arg(all[size_t(problem)].fix.text));
        fix->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Period));
        menu.setDefaultAction(fix);
        connect(fix, &QAction::triggered, this, [this, problem] { emit fixChosen(problem); });
    }
    menu.exec(List1->viewport()->mapToGlobal(at));
}

void ProblemsPane::setNote(const QString &note)
{
    Label1->setText(note);
    Label1->setVisible(!note.isEmpty());
}

void ProblemsPane::choose(const QModelIndex &index)
{
    if (index.isValid())
        emit rowChosen(index.data(Qt::UserRole).toInt());
}
