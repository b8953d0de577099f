#pragma once

#include "quorrinplugin.h"

#include <QObject>

class VardeloPlugin : public QObject, public QuorrinPlugin, public QuorrinCloseQuery, public QuorrinFileOpener
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QuorrinPlugin_iid FILE "vardelo.json")
    Q_INTERFACES(QuorrinPlugin QuorrinCloseQuery QuorrinFileOpener)
public:
    QWidget *createControl(QWidget *parent) override;
    // The editor asks about unsaved work.
    bool queryClose(QWidget *control) override;
    // ".per" scripts, opened in the editor as a dropped one is.
    bool opensFile(const QString &path) const override;
    void openFile(QWidget *control, const QString &path) override;
};
