#include "rowcommands.h"

#include "plugfrm.h"
#include "ai.h"
#include "problems.h"
#include "rowcompletion.h"
#include "rowtexteditor.h"
#include "scriptproblems.h"
#include "scriptdocument.h"
#include "scriptlistview.h"
#include "scriptstatusbar.h"
#include "shell/messages.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QItemSelection>
#include <QMenu>
#include <QScrollBar>
#include <algorithm>

using SaveOpen::closesBlock;
using SaveOpen::opensBlock;
using SaveOpen::RowRange;

namespace {

int length(const RowRange &r)
{
    return r.last - r.first + 1;
}

// "1 ligne copiée.", "3 lignes copiées."
QString rowsDone(int n, const QString &done)
{
    return n == 1 ? QStringLiteral("1 ligne %1.").arg(done) : QStringLiteral("%1 lignes %2s.").arg(n).arg(done);
}

// Whether a rule's rows from first to last, in that order, keep its
// actions after its facts.
bool actionsLast(const std::vector<const ScriptLine *> &rows)
{
    bool actions = false;
    for (const ScriptLine *r : rows) {
        if (r->kind == LineKind::Act || (r->flags & ScriptLine::AfterArrow))
            actions = true;
        else if (actions && (r->kind == LineKind::Fact || opensBlock(r->kind) || closesBlock(r->kind)))
            return false;
    }
    return true;
}

} // namespace

RowCommands::RowCommands(PlugFrm &window, QMenu *menu) : QObject(&window), m_window(window), m_list(window.ListView1)
{
    menu->addSeparator();
    const auto command = [this, menu](const QString &caption, const QKeySequence &key, void (RowCommands::*slot)()) {
        QAction *a = menu->addAction(caption);
        a->setShortcut(key);
        // the keys of the list: in a text field they keep their usual meaning
        a->setShortcutContext(Qt::WidgetShortcut);
        m_list->addAction(a);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    // in the desktop's usual order
    cutAction = command(QStringLiteral("Couper"), QKeySequence(Qt::CTRL | Qt::Key_X), &RowCommands::cut);
    copyAction = command(QStringLiteral("Copier"), QKeySequence(Qt::CTRL | Qt::Key_C), &RowCommands::copy);
    pasteAction = command(QStringLiteral("Coller"), QKeySequence(Qt::CTRL | Qt::Key_V), &RowCommands::paste);
    menu->addSeparator();
    duplicateAction = command(QStringLiteral("Dupliquer"), QKeySequence(Qt::CTRL | Qt::Key_D), &RowCommands::duplicate);
    moveUpAction = command(QStringLiteral("Monter"), QKeySequence(Qt::ALT | Qt::Key_Up), &RowCommands::moveUp);
    moveDownAction = command(QStringLiteral("Descendre"), QKeySequence(Qt::ALT | Qt::Key_Down), &RowCommands::moveDown);
    menu->addSeparator();
    editTextAction = command(QStringLiteral("Modifier le texte"), QKeySequence(Qt::Key_F2), &RowCommands::editText);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // the typed text follows its row, and goes when the rows change under it
    const auto drop = [this] { finishTextEdit(false); };
    connect(&m_list->rows(), &QAbstractItemModel::rowsInserted, this, drop);
    connect(&m_list->rows(), &QAbstractItemModel::rowsRemoved, this, drop);
    connect(&m_list->rows(), &QAbstractItemModel::modelReset, this, drop);
    connect(m_list->verticalScrollBar(), &QScrollBar::valueChanged, this, &RowCommands::placeEditor);
}

std::vector<RowRange> RowCommands::selectedRanges() const
{
    const std::vector<ScriptLine> &lines = m_list->rows().lines();
    const int n = int(lines.size());
    std::vector<RowRange> ranges;
    for (const QItemSelectionRange &s : m_list->selectionModel()->selection()) {
        RowRange r{s.top() + 1, qMin(n, s.bottom() + 1)};
        if (r.first > r.last)
            continue;
        // a rule's (or group's) start or end stands for all of it
        for (int i = r.first; i <= r.last; ++i) {
            const LineKind k = lines[size_t(i - 1)].kind;
            if (opensBlock(k) || closesBlock(k)) {
                const RowRange whole = SaveOpen::wholeRule(lines, i);
                r.first = qMin(r.first, whole.first);
                r.last = qMax(r.last, whole.last);
                i = qMax(i, whole.last);
            }
        }
        // a line's end comment goes with it
        while (r.last < n && lines[size_t(r.last)].kind == LineKind::CommE)
            ++r.last;
        ranges.push_back(r);
    }
    std::sort(ranges.begin(), ranges.end(), [](const RowRange &a, const RowRange &b) { return a.first < b.first; });
    std::vector<RowRange> merged;
    for (const RowRange &r : ranges) {
        if (!merged.empty() && r.first <= merged.back().last + 1)
            merged.back().last = qMax(merged.back().last, r.last);
        else
            merged.push_back(r);
    }
    return merged;
}

void RowCommands::select(const std::vector<RowRange> &ranges)
{
    const ScriptModel &m = m_list->rows();
    QItemSelection selection;
    for (const RowRange &r : ranges)
        if (r.first >= 1 && r.last <= m.count() && r.first <= r.last)
            selection.select(m.index(r.first - 1), m.index(r.last - 1));
    if (selection.isEmpty())
        return;
    QItemSelectionModel *model = m_list->selectionModel();
    model->setCurrentIndex(m.index(ranges.front().first - 1), QItemSelectionModel::NoUpdate);
    model->select(selection, QItemSelectionModel::ClearAndSelect);
    m_list->scrollTo(m.index(ranges.back().last - 1));
    m_list->scrollTo(m.index(ranges.front().first - 1));
}

void RowCommands::tell(const QString &text)
{
    m_window.StatusBar1->showMessage(text, 5000);
}

bool RowCommands::mayChange(const std::vector<RowRange> &ranges)
{
    const ScriptModel &m = m_list->rows();
    int last = ScriptLine::NoForm;
    for (const RowRange &r : ranges)
        for (int i = r.first; i <= r.last; ++i) {
            const int form = m.line(i).form;
            if (form != last && !m_window.mayChangeForm(form))
                return false;
            last = form;
        }
    return true;
}

void RowCommands::copy()
{
    const std::vector<RowRange> ranges = selectedRanges();
    if (ranges.empty())
        return tell(QStringLiteral("Aucune ligne n'est sélectionnée."));
    const ScriptModel &m = m_list->rows();
    int n = 0;
    for (const RowRange &r : ranges)
        n += length(r);
    QGuiApplication::clipboard()->setText(SaveOpen::rowsText(m.lines(), ranges, m.source()));
    tell(rowsDone(n, QStringLiteral("copiée")));
}

void RowCommands::cut()
{
    const std::vector<RowRange> ranges = selectedRanges();
    if (ranges.empty())
        return tell(QStringLiteral("Aucune ligne n'est sélectionnée."));
    if (!mayChange(ranges))
        return;
    copy();
    removeSelected();
}

void RowCommands::removeSelected()
{
    const std::vector<RowRange> ranges = selectedRanges();
    if (ranges.empty() || !mayChange(ranges))
        return;
    ScriptModel &m = m_list->rows();
    m_window.openStep();
    for (auto r = ranges.rbegin(); r != ranges.rend(); ++r)
        m.removeLines(r->first, length(*r));
    m_window.closeStep();
    m_list->selectRow(qMin(ranges.front().first, m.count()));
}

void RowCommands::paste()
{
    const QString text = QGuiApplication::clipboard()->text();
    if (text.isEmpty()) {
        Messages::info(&m_window, QStringLiteral("Le presse-papiers ne contient pas de texte à coller."));
        return;
    }
    ScriptModel &m = m_list->rows();
    const std::vector<RowRange> ranges = selectedRanges();
    const int pos = ranges.empty() ? m.count() + 1 : ranges.front().first;
    std::vector<ScriptLine> rows;
    QString error;
    if (!SaveOpen::readRows(text, SaveOpen::placeAt(m.lines(), pos), rows, error)) {
        Messages::error(&m_window, QStringLiteral("Le texte du presse-papiers ne peut pas être collé.\n\n") + error);
        return;
    }
    const int form = m.formJoinedAt(pos, LineKind::Unknown);
    if (!m_window.mayChangeForm(form))
        return;
    for (ScriptLine &r : rows)
        r.form = form;
    const int n = int(rows.size());
    m_window.openStep();
    m.insertLines(pos, std::move(rows));
    m_window.closeStep();
    select({{pos, pos + n - 1}});
    tell(rowsDone(n, QStringLiteral("collée")));
}

void RowCommands::duplicate()
{
    const std::vector<RowRange> ranges = selectedRanges();
    if (ranges.empty())
        return tell(QStringLiteral("Aucune ligne n'est sélectionnée."));
    ScriptModel &m = m_list->rows();
    for (const RowRange &r : ranges)
        if (!m_window.mayChangeForm(m.formJoinedAt(r.last + 1, LineKind::Unknown)))
            return;
    m_window.openStep();
    for (auto r = ranges.rbegin(); r != ranges.rend(); ++r) {
        const int form = m.formJoinedAt(r->last + 1, LineKind::Unknown);
        std::vector<ScriptLine> copies(m.lines().begin() + (r->first - 1), m.lines().begin() + r->last);
        for (ScriptLine &c : copies) {
            c.form = form;
            c.line = c.readLine = 0;
        }
        m.insertLines(r->last + 1, std::move(copies));
    }
    m_window.closeStep();
    // the copies, where the rows before them put them
    std::vector<RowRange> copies;
    int shift = 0;
    for (const RowRange &r : ranges) {
        copies.push_back({r.last + 1 + shift, r.last + shift + length(r)});
        shift += length(r);
    }
    select(copies);
}

void RowCommands::move(int direction)
{
    const std::vector<RowRange> ranges = selectedRanges();
    if (ranges.empty())
        return tell(QStringLiteral("Aucune ligne n'est sélectionnée."));
    if (ranges.size() > 1)
        return tell(QStringLiteral("Seules des lignes qui se suivent se déplacent ensemble."));
    ScriptModel &m = m_list->rows();
    const std::vector<ScriptLine> &lines = m.lines();
    const int n = m.count();
    const RowRange block = ranges.front();
    const bool inRule = SaveOpen::placeAt(lines, block.first) != SaveOpen::RowPlace::TopLevel;
    // What the block goes past: the row beside it, a whole rule or group,
    // with the end comments of its last line.
    RowRange unit;
    if (direction < 0) {
        if (block.first == 1)
            return;
        int c = block.first - 1;
        while (c > 1 && m.kind(c) == LineKind::CommE)
            --c;
        if (closesBlock(m.kind(c))) {
            c = SaveOpen::wholeRule(lines, c).first;
        } else if (m.kind(c) == LineKind::FactB) {
            return tell(QStringLiteral("Ces lignes sont déjà en tête de leur règle."));
        }
        unit = {c, block.first - 1};
    } else {
        if (block.last == n)
            return;
        int c = block.last + 1;
        if (opensBlock(m.kind(c)))
            c = SaveOpen::wholeRule(lines, c).last;
        else if (m.kind(c) == LineKind::FactE)
            return tell(QStringLiteral("Ces lignes sont déjà en fin de leur règle."));
        while (c < n && m.kind(c + 1) == LineKind::CommE)
            ++c;
        unit = {block.last + 1, c};
    }
    if (inRule) {
        std::vector<const ScriptLine *> order;
        const RowRange &before = direction < 0 ? block : unit, &after = direction < 0 ? unit : block;
        for (const RowRange &r : {before, after})
            for (int i = r.first; i <= r.last; ++i)
                order.push_back(&m.line(i));
        if (!actionsLast(order))
            return tell(QStringLiteral("Les actions d'une règle restent après ses faits."));
    }
    if (!mayChange({unit}))
        return;
    std::vector<ScriptLine> moved(lines.begin() + (unit.first - 1), lines.begin() + unit.last);
    m_window.openStep();
    m.removeLines(unit.first, length(unit));
    const int at = direction < 0 ? unit.first + length(block) : block.first;
    m.insertLines(at, std::move(moved));
    m_window.closeStep();
    const int shift = direction < 0 ? -length(unit) : length(unit);
    select({{block.first + shift, block.last + shift}});
}

QStringList RowCommands::constants() const
{
    QStringList names;
    QString name, value;
    const auto collect = [&](const std::vector<ScriptLine> &rows) {
        for (const ScriptLine &r : rows)
            if (r.kind == LineKind::Const && Problems::constantOf(r, &name, &value))
                names << name;
    };
    collect(m_list->rows().lines());
    if (const std::shared_ptr<const Ai> ai = m_window.document().problems().ai())
        for (const Ai::File &file : ai->files())
            collect(file.rows);
    names.removeDuplicates();
    return names;
}

SaveOpen::RowPlace RowCommands::placeOf(int pos) const
{
    const SaveOpen::RowPlace place = SaveOpen::placeAt(m_list->rows().lines(), pos);
    // a row just after "=>" is among the actions, whatever its kind
    return place == SaveOpen::RowPlace::Facts && (m_list->rows().line(pos).flags & ScriptLine::AfterArrow)
               ? SaveOpen::RowPlace::Actions
               : place;
}

void RowCommands::editText()
{
    if (m_editor) {
        m_editor->setFocus();
        return;
    }
    const int pos = m_list->selectedPosition();
    if (pos == 0)
        return tell(QStringLiteral("Aucune ligne n'est sélectionnée."));
    const ScriptLine &row = m_list->rows().line(pos);
    if (opensBlock(row.kind) || closesBlock(row.kind))
        return tell(QStringLiteral("Les lignes de structure des règles ne se modifient pas comme du texte."));
    if (!m_window.mayChangeForm(row.form))
        return;
    const SaveOpen::RowPlace place = placeOf(pos);
    const RowCompletion::Sources sources = RowCompletion::fromCatalogues(&m_window.vocabulary(), constants());
    m_editedRow = pos;
    m_editor = new RowTextEditor(
        SaveOpen::rowText(row),
        [place, sources](QStringView before) { return RowCompletion::offered(before, place, sources); },
        m_list->viewport());
    connect(m_editor, &RowTextEditor::accepted, this, [this] { finishTextEdit(true); });
    connect(m_editor, &RowTextEditor::cancelled, this, [this] { finishTextEdit(false); });
    placeEditor();
    m_editor->show();
    m_editor->setFocus();
}

void RowCommands::placeEditor()
{
    if (!m_editor)
        return;
    const QRect r = m_list->visualRect(m_list->rows().index(m_editedRow - 1));
    const int height = qMax(r.height(), m_editor->sizeHint().height());
    m_editor->setGeometry(0, r.center().y() - height / 2, m_list->viewport()->width(), height);
}

void RowCommands::finishTextEdit(bool accepted)
{
    if (!m_editor)
        return;
    ScriptModel &m = m_list->rows();
    const int pos = m_editedRow;
    if (accepted && pos >= 1 && pos <= m.count()) {
        const ScriptLine &old = m.line(pos);
        ScriptLine row;
        QString error;
        if (!SaveOpen::readOneRow(m_editor->text(), placeOf(pos), row, error)) {
            // the text stays for correction
            Messages::error(&m_window, QStringLiteral("Ce texte ne peut pas remplacer la ligne.\n\n") + error);
            if (m_editor) {
                m_editor->setFocus();
                m_editor->activateWindow();
            }
            return;
        }
        if (old.kind == LineKind::CommE && row.kind == LineKind::CommN) {
            row.kind = LineKind::CommE; // it still ends the line before
            row.text = RowText::EndCommentPrefix + row.text;
        }
        if (row.kind != old.kind || row.text != old.text) {
            m_window.openStep();
            m.setText(pos, row.text);
            if (row.kind != old.kind) {
                m.setKind(pos, row.kind);
                m.setColour(pos, row.colour);
            }
            m_window.closeStep();
        }
    }
    RowTextEditor *editor = m_editor;
    m_editor = nullptr;
    editor->disconnect(this); // what it would still say is no longer heard
    editor->hide();
    editor->deleteLater();
    m_list->setFocus();
    m_list->selectRow(qMin(pos, m.count()));
}
