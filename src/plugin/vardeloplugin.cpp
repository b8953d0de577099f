#include "vardeloplugin.h"

#include "shell/plg.h"

QWidget *VardeloPlugin::createControl(QWidget *parent)
{
    return new Plg(parent);
}
