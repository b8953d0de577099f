#include "document/plugfrm.h"
#include "document/publicvars.h"
#include "shell/plg.h"
#include "testsupport.h"

#include <QMessageBox>
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
    frm->showMinimized();
    QTest::mouseClick(control.Command1, Qt::LeftButton);
    EXPECT_FALSE(frm->isMinimized());
}

// The host killed, or one that does not ask first: unsaved work is lost, as
// nothing can be asked any more.
TEST(Plg, DestroyedUnaskedTheControlClosesEveryWindowWithoutAsking)
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

TEST(Plg, AskedBeforeClosingBringsTheEditorForwardWithTheQuestion)
{
    Plg control;
    control.show();
    EXPECT_TRUE(control.UserControl_QueryClose()) << "nothing to ask without the editor";
    QTest::mouseClick(control.Command1, Qt::LeftButton);
    PlugFrm *frm = PlugFrm::loaded();
    ASSERT_NE(frm, nullptr);
    EXPECT_TRUE(control.UserControl_QueryClose()) << "nothing to ask without changes";
    frm->insertRow(1, "Constante: a = 1", qRgb(0, 0, 255), LineKind::Const);
    frm->showMinimized();

    bool shownWhenAsked = false;
    QString question;
    TestSupport::onNextModal([&](QWidget *box) {
        shownWhenAsked = frm->isVisible() && !frm->isMinimized();
        question = static_cast<QMessageBox *>(box)->text();
        box->close();
    });
    EXPECT_FALSE(control.UserControl_QueryClose());
    EXPECT_TRUE(shownWhenAsked);
    EXPECT_EQ(question, "Le script a été modifié. Voulez-vous enregistrer les modifications ?");
    EXPECT_EQ(PlugFrm::loaded(), frm);
    EXPECT_EQ(TestSupport::rows(*frm), QStringList{"Const|Constante: a = 1"});
    EXPECT_TRUE(frm->isModified());
}
