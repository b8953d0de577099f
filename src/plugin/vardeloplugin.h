#pragma once

#include "quorrinplugin.h"

#include <QObject>

class VardeloPlugin : public QObject, public QuorrinPlugin, public QuorrinCloseQuery
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QuorrinPlugin_iid FILE "vardelo.json")
    Q_INTERFACES(QuorrinPlugin QuorrinCloseQuery)
public:
    QWidget *createControl(QWidget *parent) override;
    // The editor asks about unsaved work.
    bool queryClose(QWidget *control) override;
};
