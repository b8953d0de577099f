#include "rowdelegate.h"

#include "scriptline.h"
#include "scriptmodel.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>

namespace {
// Deeper rows are drawn at this depth: a run of unclosed blocks must not
// push the text out of sight.
constexpr int MaxDrawnDepth = 24;
} // namespace

RowDelegate::RowDelegate(QObject *parent) : QStyledItemDelegate(parent) {}

int RowDelegate::indentStep(const QFontMetrics &metrics)
{
    return metrics.horizontalAdvance(QStringLiteral("    "));
}

void RowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const bool problem = index.data(ScriptModel::BlockProblemRole).isValid();
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
        opt.icon = style->standardIcon(QStyle::SP_MessageBoxWarning, nullptr, widget);
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
