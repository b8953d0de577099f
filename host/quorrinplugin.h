#pragma once

#include <QtPlugin>

class QWidget;

// What a plug-in of the host offers: a control to place on a panel. The
// plug-in's identity (type library, class, GUIDs, version) is in its
// metadata; the host reads it without creating anything.
class QuorrinPlugin
{
public:
    virtual ~QuorrinPlugin() = default;
    // A new control, owned by parent. The host destroys it when it closes.
    virtual QWidget *createControl(QWidget *parent) = 0;
};

#define QuorrinPlugin_iid "org.quorrin.QuorrinPlugin/1.0"
Q_DECLARE_INTERFACE(QuorrinPlugin, QuorrinPlugin_iid)
