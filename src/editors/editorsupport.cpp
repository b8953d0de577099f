#include "editorsupport.h"

#include "document/linebuilders.h"
#include "document/plugfrm.h"
#include "document/scriptlistview.h"

#include <QLineEdit>
#include <QRegularExpression>

namespace EditorSupport {

void keepOnOneLine(QLineEdit *box)
{
    QObject::connect(box, &QLineEdit::textChanged, box, [box](const QString &text) {
        static const QRegularExpression lineBreak(QStringLiteral("\r\n|[\r\n\u2028\u2029]"));
        if (!text.contains(lineBreak))
            return;
        const int cursor = box->cursorPosition();
        QString single = text;
        single.replace(lineBreak, QStringLiteral(" "));
        box->setText(single);
        box->setCursorPosition(qMin(cursor, int(single.size())));
    });
}

QString selectedRowText()
{
    const PlugFrm *frm = PlugFrm::loaded();
    const int pos = frm ? frm->ListView1->selectedPosition() : 0;
    return pos > 0 ? frm->ListView1->rows().text(pos) : QString();
}

void setSelectedRowText(const QString &text)
{
    PlugFrm *frm = PlugFrm::loaded();
    const int pos = frm ? frm->ListView1->selectedPosition() : 0;
    if (pos > 0)
        frm->ListView1->rows().setText(pos, text);
}

void rewriteOrPlace(bool add, const QString &text, QRgb colour, LineKind kind)
{
    if (EditMod::EditingLine) {
        setSelectedRowText(text);
        return;
    }
    PlugFrm *frm = PlugFrm::loaded();
    if (!frm)
        return;
    const int pos = Placement::target(add, frm->ListView1->selectedPosition(), frm->ListView1->count());
    if (pos > 0)
        frm->insertRow(pos, text, colour, kind);
}

} // namespace EditorSupport
