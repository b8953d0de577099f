#include "document/plugfrm.h"
#include "document/publicvars.h"
#include "shell/plg.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

TEST(Plg, ButtonOpensTheEditorModelessAndBringsItForward)
{
    Plg control;
    control.show();
    EXPECT_EQ(control.Command1->text(), "Kelvarra PER");
    EXPECT_EQ(PlugFrm::loaded(), nullptr);
    QTest::mouseClick(control.Command1, Qt::LeftButton);
    PlugFrm *frm = PlugFrm::loaded();
    ASSERT_NE(frm, nullptr);
    EXPECT_TRUE(frm->isVisible());
    EXPECT_FALSE(frm->isModal());
    frm->hide();
    QTest::mouseClick(control.Command1, Qt::LeftButton);
    EXPECT_EQ(PlugFrm::loaded(), frm);
    EXPECT_TRUE(frm->isVisible());
}

TEST(Plg, DestroyingTheControlClosesEveryWindowWithoutAsking)
{
    auto *control = new Plg;
    control->show();
    QTest::mouseClick(control->Command1, Qt::LeftButton);
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
