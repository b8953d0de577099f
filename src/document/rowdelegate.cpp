#include "rowdelegate.h"

#include "scriptline.h"
#include "scriptmodel.h"
#include "scriptproblems.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHelpEvent>
#include <QToolTip>
#include <QPainter>
#include <QStyle>

namespace {
// Deeper rows are drawn at this depth: a run of unclosed blocks must not
// push the text out of sight.
constexpr int MaxDrawnDepth = 24;
} // namespace

RowDelegate::RowDelegate(QObject *parent) : QStyledItemDelegate(parent) {}

void RowDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    const QVariant colour = index.data(ScriptModel::ColourRole);
    if (colour.isValid())
        option->palette.setColor(QPalette::Text, QColor::fromRgb(colour.toUInt()));
    if (index.data(ScriptModel::KeptRole).toBool())
        option->font.setItalic(true);
    if (index.data(ScriptModel::HighlightRole).toBool())
        option->backgroundBrush = QColor(255, 244, 160);
}

int RowDelegate::severityAt(const QModelIndex &index) const
{
    if (!m_problems)
        return index.data(ScriptModel::BlockProblemRole).isValid() ? 1 : 0;
    const auto [first, count] = m_problems->at(index.row() + 1);
    int worst = 0;
    for (size_t i = first; i < first + count; ++i)
        worst = std::max(worst, m_problems->problems()[i].severity == Problems::Severity::Error ? 2 : 1);
    return worst;
}

bool RowDelegate::helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                            const QModelIndex &index)
{
    if (!m_problems || event->type() != QEvent::ToolTip || !index.isValid())
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    // The row's own tip (a part kept as read, its block), then its other problems.
    QStringList tip;
    const QString own = index.data(Qt::ToolTipRole).toString();
    if (!own.isEmpty())
        tip << own;
    const QString block = index.data(ScriptModel::BlockProblemRole).toString();
    const auto [first, count] = m_problems->at(index.row() + 1);
    for (size_t i = first; i < first + count; ++i) {
        const Problems::Problem &p = m_problems->problems()[i];
        if (p.message != block)
            tip << Problems::severityName(p.severity) + QStringLiteral(": ") + p.message;
    }
    if (tip.isEmpty())
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    QToolTip::showText(event->globalPos(), tip.join(QStringLiteral("\n\n")), view);
    return true;
}

int RowDelegate::indentStep(const QFontMetrics &metrics)
{
    return metrics.horizontalAdvance(QStringLiteral("    "));
}

void RowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const int severity = severityAt(index);
    const bool problem = severity > 0;
    const int depth = m_indent ? std::min(index.data(ScriptModel::DepthRole).toInt(), MaxDrawnDepth) : 0;
    const bool blank =
        m_blankMarks && LineKind(index.data(ScriptModel::KindRole).toInt()) == LineKind::BL;
    if (!problem && depth == 0 && !blank) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }

    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QWidget *widget = opt.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    // The row's background and selection span the whole row; only what is
    // drawn on it moves right.
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &opt, painter, widget);
    opt.rect.setLeft(opt.rect.left() + depth * indentStep(opt.fontMetrics));
    if (problem) {
        const int side = std::max(8, opt.rect.height() - 4);
        opt.icon = style->standardIcon(severity == 2 ? QStyle::SP_MessageBoxCritical : QStyle::SP_MessageBoxWarning,
                                       nullptr, widget);
        opt.decorationSize = QSize(side, side);
        opt.features |= QStyleOptionViewItem::HasDecoration;
    }
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

    if (blank) {
        // A faint pilcrow where the text would start.
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
        const QRect text = opt.rect.adjusted(margin, 0, 0, 0);
        // the view's colours: the row's own is white on white
        QColor faint =
            option.palette.color(opt.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text);
        faint.setAlpha(70);
        painter->save();
        painter->setPen(faint);
        painter->drawText(text, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("\u00B6"));
        painter->restore();
    }
}
