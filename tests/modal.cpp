// The modal windows' answers, shared with the host's tests (which load the
// plug-in from its library and so link none of its code).
#include "testsupport.h"

#include <QPointer>
#include <deque>

namespace TestSupport {

namespace {
// Handlers waiting for modal windows, answered one after the other.
std::deque<std::function<void(QWidget *)>> &pending()
{
    static std::deque<std::function<void(QWidget *)>> p;
    return p;
}
QPointer<QWidget> lastHandled;

void poll(int triesLeft)
{
    QTimer::singleShot(triesLeft > 150 ? 0 : 10, [triesLeft] {
        QWidget *w = QApplication::activeModalWidget();
        if (w && w->isVisible() && w != lastHandled) {
            auto handler = pending().front();
            pending().pop_front();
            lastHandled = w;
            handler(w);
            // A window answered and gone may come again for the next handler.
            if (lastHandled && !lastHandled->isVisible())
                lastHandled = nullptr;
            if (!pending().empty())
                poll(200);
        } else if (triesLeft > 0) {
            poll(triesLeft - 1);
        } else {
            ADD_FAILURE() << "no modal window was shown";
            pending().clear();
        }
    });
}
} // namespace

void onNextModal(std::function<void(QWidget *)> handler)
{
    pending().push_back(std::move(handler));
    if (pending().size() == 1)
        poll(200);
}

void answerNextMessage(QString *title, QString *text, const QString &button)
{
    onNextModal([=](QWidget *w) {
        auto *box = qobject_cast<QMessageBox *>(w);
        if (!box) {
            ADD_FAILURE() << "expected a message box, got " << w->metaObject()->className();
            return (void)w->close();
        }
        if (title)
            *title = box->windowTitle();
        if (text)
            *text = box->text();
        QAbstractButton *target = box->defaultButton() ? box->defaultButton() : box->buttons().value(0);
        for (QAbstractButton *b : box->buttons())
            if (b->text() == button)
                target = b;
        if (target)
            target->click();
    });
}

} // namespace TestSupport
