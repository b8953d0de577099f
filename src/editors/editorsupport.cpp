#include "editorsupport.h"

#include "document/linebuilders.h"
#include "document/rowsink.h"
#include "document/scriptlistview.h"
#include "files/saveopen.h"
#include "shell/messages.h"

#include <QLineEdit>
#include <QRegularExpression>
#include <limits>

namespace EditorSupport {

namespace {
// No length limit (a long paste is never cut without a word), and whatever
// matches pattern replaced as it is typed or pasted, the cursor kept.
void replaceAsTyped(QLineEdit *box, const QRegularExpression &pattern, const QString &replacement)
{
    box->setMaxLength(std::numeric_limits<int>::max());
    QObject::connect(box, &QLineEdit::textChanged, box, [box, &pattern, replacement](const QString &text) {
        if (!text.contains(pattern))
            return;
        const int cursor = box->cursorPosition();
        QString mended = text;
        mended.replace(pattern, replacement);
        box->setText(mended);
        box->setCursorPosition(qMin(cursor, int(mended.size())));
    });
}
} // namespace

void keepOnOneLine(QLineEdit *box)
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|[\r\n\u2028\u2029]"));
    replaceAsTyped(box, lineBreak, QStringLiteral(" "));
}

QString nameProblem(const QString &name, const QString &what, bool blanksAllowed)
{
    for (const QChar c : name) {
        const bool bad = c == QLatin1Char('"') || c == QLatin1Char(';') || c == QLatin1Char('(')
                         || c == QLatin1Char(')') || (!blanksAllowed && c.isSpace());
        if (bad && c.isSpace())
            return QStringLiteral("%1 ne peut pas contenir d'espace: il couperait la ligne du script.").arg(what);
        if (bad)
            return QStringLiteral("%1 ne peut pas contenir le caractère «%2»: il couperait la ligne du script.")
                .arg(what, QString(c));
    }
    return {};
}

bool readsBack(QWidget *dialog, LineKind kind, const QString &text)
{
    if (SaveOpen::readsBack(kind, text))
        return true;
    Messages::info(dialog, QStringLiteral("La ligne «%1» ne pourrait pas être relue telle quelle: vérifiez ses "
                                          "guillemets, ses parenthèses et ses «;».")
                               .arg(text));
    return false;
}

QWidget *dialogParent()
{
    RowSink *sink = RowSink::current();
    return sink ? sink->dialogParent() : nullptr;
}

QString selectedRowText()
{
    const RowSink *sink = RowSink::current();
    return sink ? sink->rowText(sink->selectedRow()) : QString();
}

LineKind selectedRowKind()
{
    const RowSink *sink = RowSink::current();
    return sink ? sink->rowKind(sink->selectedRow()) : LineKind::Unknown;
}

void setSelectedRowText(const QString &text)
{
    RowSink *sink = RowSink::current();
    if (sink && sink->selectedRow() > 0)
        sink->setRowText(sink->selectedRow(), text);
}

void rewriteOrPlace(bool add, const QString &text, QRgb colour, LineKind kind)
{
    if (EditMod::EditingLine)
        setSelectedRowText(text);
    else if (RowSink *sink = RowSink::current())
        sink->placeRow(add, text, colour, kind);
}

} // namespace EditorSupport
