#pragma once

#include "quorrinplugin.h"

#include <QObject>

class VardeloPlugin : public QObject, public QuorrinPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QuorrinPlugin_iid FILE "vardelo.json")
    Q_INTERFACES(QuorrinPlugin)
public:
    QWidget *createControl(QWidget *parent) override;
};
