#include "document/plugfrm.h"
#include "document/publicvars.h"
#include "shell/plg.h"
#include "testsupport.h"

#include <QSignalSpy>

using namespace TestSupport;

TEST(Plg, ButtonOpensTheEditorModelessAndBringsItForwardAsTheQuestionBeforeClosingDoes)
{
    Plg control;
    control.show();
    EXPECT_EQ(PlugFrm::loaded(), nullptr);
    EXPECT_TRUE(control.UserControl_QueryClose()) << "nothing to ask without the editor";
    click(control.Command1);
    PlugFrm *frm = PlugFrm::loaded();
    ASSERT_NE(frm, nullptr);
    EXPECT_TRUE(frm->isVisible() && !frm->isModal());
    EXPECT_TRUE(control.UserControl_QueryClose()) << "nothing to ask without changes";
    frm->hide();
    click(control.Command1);
    EXPECT_EQ(PlugFrm::loaded(), frm);
    EXPECT_TRUE(frm->isVisible());
    frm->showMinimized();
    click(control.Command1);
    EXPECT_FALSE(frm->isMinimized());

    frm->insertRow(1, "Constante: a = 1", qRgb(0, 0, 255), LineKind::Const);
    frm->showMinimized();
    bool shownWhenAsked = false;
    onNextModal([&](QWidget *box) {
        shownWhenAsked = frm->isVisible() && !frm->isMinimized();
        box->close();
    });
    EXPECT_FALSE(control.UserControl_QueryClose());
    EXPECT_TRUE(shownWhenAsked);
    EXPECT_EQ(rows(*frm), QStringList{"Const|Constante: a = 1"});
}

// The host killed, or one that does not ask first: unsaved work is lost, as
// nothing can be asked any more.
TEST(Plg, DestroyedUnaskedTheControlClosesEveryWindowWithoutAsking)
{
    auto *control = new Plg;
    control->show();
    click(control->Command1);
    PlugFrm *frm = PlugFrm::loaded();
    ASSERT_NE(frm, nullptr);
    frm->insertRow(0, "Constante: a = 1", qRgb(0, 0, 255), LineKind::Const);
    QSignalSpy destroyed(frm, &QObject::destroyed);
    delete control;
    EXPECT_TRUE(PublicVars::PlugInClosing);
    EXPECT_EQ(PlugFrm::loaded(), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(destroyed.count(), 1);
}
