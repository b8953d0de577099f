#pragma once

#include <QString>
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

// What a plug-in may offer besides: being asked, before the host closes,
// whether each of its controls may be destroyed. A separate interface, so
// plug-ins made before it still load; their controls are destroyed unasked.
class QuorrinCloseQuery
{
public:
    virtual ~QuorrinCloseQuery() = default;
    // Whether control, made by this plug-in, may be destroyed now. The
    // plug-in may ask the user (unsaved work); false keeps the host open with
    // every control as it was.
    virtual bool queryClose(QWidget *control) = 0;
};

// What a plug-in may offer besides: opening the files given to the host (its
// command line, so a file manager's double-click). The host gives each file
// to the first plug-in that says it opens it.
class QuorrinFileOpener
{
public:
    virtual ~QuorrinFileOpener() = default;
    // Whether the plug-in opens files like path; it is asked by the name
    // alone, before anything is read.
    virtual bool opensFile(const QString &path) const = 0;
    // Opens path with control, made by this plug-in. The plug-in tells the
    // user itself when the file cannot be read.
    virtual void openFile(QWidget *control, const QString &path) = 0;
};

#define QuorrinPlugin_iid "org.quorrin.QuorrinPlugin/1.0"
Q_DECLARE_INTERFACE(QuorrinPlugin, QuorrinPlugin_iid)
#define QuorrinCloseQuery_iid "org.quorrin.QuorrinCloseQuery/1.0"
Q_DECLARE_INTERFACE(QuorrinCloseQuery, QuorrinCloseQuery_iid)
#define QuorrinFileOpener_iid "org.quorrin.QuorrinFileOpener/1.0"
Q_DECLARE_INTERFACE(QuorrinFileOpener, QuorrinFileOpener_iid)
