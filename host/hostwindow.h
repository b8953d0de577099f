#pragma once

#include "pluginhost.h"

#include <QMainWindow>

// The stand-in host: a panel with one framed place per plug-in control.
class HostWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit HostWindow(const QList<LoadedPlugin> &plugins, QWidget *parent = nullptr);
    // The controls placed on the panel.
    const QList<QWidget *> &controls() const { return m_controls; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QList<QWidget *> m_controls;
};
