#include "vardeloplugin.h"

#include "shell/plg.h"

#include <QFileInfo>

QWidget *VardeloPlugin::createControl(QWidget *parent)
{
    return new Plg(parent);
}

bool VardeloPlugin::queryClose(QWidget *control)
{
    auto *plg = qobject_cast<Plg *>(control);
    return !plg || plg->UserControl_QueryClose();
}

bool VardeloPlugin::opensFile(const QString &path) const
{
    return QFileInfo(path).suffix().compare(QLatin1String("per"), Qt::CaseInsensitive) == 0;
}

void VardeloPlugin::openFile(QWidget *control, const QString &path)
{
    if (auto *plg = qobject_cast<Plg *>(control))
        plg->openFile(path);
}
