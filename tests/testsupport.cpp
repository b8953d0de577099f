#include "testsupport.h"

#include "document/plugfrm.h"
#include "document/scriptlistview.h"
#include "shell/plg.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace TestSupport {

namespace {
void poll(std::function<void(QWidget *)> handler, int triesLeft)
{
    QTimer::singleShot(0, [handler, triesLeft] {
        QWidget *w = QApplication::activeModalWidget();
        if (w && w->isVisible()) {
            handler(w);
        } else if (triesLeft > 0) {
            poll(handler, triesLeft - 1);
        } else {
            ADD_FAILURE() << "no modal window was shown";
        }
    });
}
} // namespace

void onNextModal(std::function<void(QWidget *)> handler)
{
    poll(std::move(handler), 200);
}

void answerNextMessage(QString *title, QString *text, const QString &button)
{
    onNextModal([=](QWidget *w) {
        auto *box = qobject_cast<QMessageBox *>(w);
        if (!box) {
            ADD_FAILURE() << "expected a message box, got " << w->metaObject()->className();
            w->close();
            return;
        }
        if (title)
            *title = box->windowTitle();
        if (text)
            *text = box->text();
        QAbstractButton *target = box->defaultButton();
        if (!button.isEmpty()) {
            target = nullptr;
            for (QAbstractButton *b : box->buttons())
                if (b->text() == button)
                    target = b;
        }
        if (!target && !box->buttons().isEmpty())
            target = box->buttons().first();
        if (target)
            target->click();
    });
}

PlugFrm &openEditor()
{
    static Plg *control = nullptr;
    if (!control) {
        control = new Plg;
        control->show();
    }
    QTest::mouseClick(control->Command1, Qt::LeftButton);
    return PlugFrm::instance();
}

QStringList rows(const PlugFrm &frm)
{
    QStringList out;
    const ScriptModel &m = frm.ListView1->rows();
    for (int i = 1; i <= m.count(); ++i)
        out << kindTag(m.kind(i)) + QLatin1Char('|') + m.text(i);
    return out;
}

void chooseKind(PlugFrm &frm, const QString &caption)
{
    const int i = frm.Combo1->findText(caption);
    ASSERT_GE(i, 0) << caption.toStdString();
    frm.Combo1->setCurrentIndex(i);
}

void clickRow(PlugFrm &frm, int pos)
{
    ScriptListView *v = frm.ListView1;
    const QModelIndex idx = v->rows().index(pos - 1);
    v->scrollTo(idx);
    QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, v->visualRect(idx).center());
}

} // namespace TestSupport
