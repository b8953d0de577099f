#include "hostwindow.h"

#include "quorrinplugin.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QVBoxLayout>

HostWindow::HostWindow(const QList<LoadedPlugin> &plugins, QWidget *parent)
    : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Quorrin"));
    auto *panel = new QWidget(this);
    auto *layout = new QVBoxLayout(panel);
    for (const LoadedPlugin &p : plugins) {
        auto *box = new QGroupBox(PluginHost::caption(p), panel);
        auto *boxLayout = new QVBoxLayout(box);
        if (p.plugin) {
            const QJsonObject &id = p.identity;
            box->setToolTip(QStringLiteral("%1 %2").arg(id.value(QStringLiteral("ProgId")).toString(),
                                                        id.value(QStringLiteral("Version")).toString()));
            QWidget *control = p.plugin->createControl(box);
            boxLayout->addWidget(control);
            m_controls.append(control);
            m_closeQueries.append(p.closeQuery);
            m_fileOpeners.append(p.fileOpener);
        } else {
            boxLayout->addWidget(new QLabel(QStringLiteral("Impossible de charger ce plugin: %1").arg(p.error), box));
        }
        layout->addWidget(box);
    }
    if (plugins.isEmpty())
        layout->addWidget(new QLabel(QStringLiteral("Aucun plugin trouvé."), panel));
    layout->addStretch(1);
    setCentralWidget(panel);
    resize(420, 200);
}

void HostWindow::closeEvent(QCloseEvent *event)
{
    for (qsizetype i = 0; i < m_controls.size(); ++i) {
        if (m_closeQueries[i] && !m_closeQueries[i]->queryClose(m_controls[i])) {
            event->ignore();
            return;
        }
    }
    // Destroying the controls lets each plug-in close its own windows.
    qDeleteAll(m_controls);
    m_controls.clear();
    m_closeQueries.clear();
    m_fileOpeners.clear();
    event->accept();
}

bool HostWindow::openFile(const QString &path)
{
    for (qsizetype i = 0; i < m_controls.size(); ++i) {
        if (m_fileOpeners[i] && m_fileOpeners[i]->opensFile(path)) {
            m_fileOpeners[i]->openFile(m_controls[i], path);
            return true;
        }
    }
    QMessageBox::information(this, windowTitle(),
                             QStringLiteral("Aucun plugin ne sait ouvrir le fichier « %1 ».")
                                 .arg(QFileInfo(path).fileName()));
    return false;
}
