#pragma once

#include "pluginhost.h"

#include <QMainWindow>

class QuorrinCloseQuery;
class QuorrinFileOpener;

// The stand-in host: a panel with one framed place per plug-in control.
class HostWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit HostWindow(const QList<LoadedPlugin> &plugins, QWidget *parent = nullptr);
    // The controls placed on the panel.
    const QList<QWidget *> &controls() const { return m_controls; }
    // Gives path to the first plug-in that opens such files, with its
    // control; says so when none does. Whether one took it.
    bool openFile(const QString &path);

protected:
    // Asks every plug-in that can be asked whether its controls may go, then
    // destroys them all; one refusal keeps the host open and everything as it
    // was.
    void closeEvent(QCloseEvent *event) override;

private:
    QList<QWidget *> m_controls;
    // Beside each control, its plug-in's close query (null when it has none).
    QList<QuorrinCloseQuery *> m_closeQueries;
    // and its file opener (null when it has none)
    QList<QuorrinFileOpener *> m_fileOpeners;
};
