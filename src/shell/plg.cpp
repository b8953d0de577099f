#include "plg.h"

#include "document/plugfrm.h"
#include "document/scriptdocument.h"
#include "document/publicvars.h"
#include "frenchqt.h"
#include "messages.h"
#include "options.h"
#include "reg.h"
#include "windows.h"

#include <QPushButton>
#include <QVBoxLayout>

Plg::Plg(QWidget *parent) : QWidget(parent)
{
    FrenchQt::install();
    auto *layout = new QVBoxLayout(this);
    Command1 = new QPushButton(QStringLiteral("Kelvarra PER"), this);
    layout->addWidget(Command1);
    connect(Command1, &QPushButton::clicked, this, &Plg::Command1_Click);
    Reg::setMessageHandler([](const QString &m) { Messages::info(nullptr, m); });
}

Plg::~Plg()
{
    UserControl_Terminate();
    FrenchQt::remove();
}

void Plg::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    UserControl_Show();
}

void Plg::UserControl_Show()
{
    Options::LoadSettings();
}

void Plg::Command1_Click()
{
    PlugFrm &frm = PlugFrm::instance();
    frm.setWindowState(frm.windowState() & ~Qt::WindowMinimized);
    frm.show();
    frm.raise();
    frm.activateWindow();
}

void Plg::openFile(const QString &path)
{
    Command1_Click();
    PlugFrm::instance().openFile(path);
}

bool Plg::UserControl_QueryClose()
{
    PlugFrm *frm = PlugFrm::loaded();
    if (!frm || !frm->document().isModified())
        return true;
    // The question comes over the script it is about.
    Command1_Click();
    return frm->mayClose();
}

void Plg::UserControl_Terminate()
{
    PublicVars::PlugInClosing = true;
    Windows::unloadAtTerminate();
}
