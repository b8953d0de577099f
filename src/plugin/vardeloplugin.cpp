#include "vardeloplugin.h"

#include "shell/plg.h"

QWidget *VardeloPlugin::createControl(QWidget *parent)
{
    return new Plg(parent);
}

bool VardeloPlugin::queryClose(QWidget *control)
{
    auto *plg = qobject_cast<Plg *>(control);
    return !plg || plg->UserControl_QueryClose();
}
