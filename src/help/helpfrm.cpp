#include "helpfrm.h"

#include <QDir>
#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

HelpFrm &HelpFrm::open(const QString &helpFolder, const QString &topic)
{
    if (!s_instance)
        s_instance = new HelpFrm;
    HelpFrm &w = *s_instance;
    const QString page = QDir(helpFolder).filePath(topic);
    if (QFileInfo::exists(page)) {
        w.Browser->setSearchPaths({helpFolder});
        w.Browser->setSource(QUrl::fromLocalFile(page));
    } else {
        w.Browser->setHtml(QStringLiteral("<p>La page d'aide <b>%1</b> est introuvable.</p>").arg(page.toHtmlEscaped()));
    }
    w.show();
    w.raise();
    w.activateWindow();
    return w;
}

void HelpFrm::unload()
{
    if (s_instance) {
        // Closed now, not only when deleted: the application looks for its
        // last visible window when a window closes, and a help window still
        // shown then keeps it running after the host's own window is gone.
        s_instance->close();
        s_instance->deleteLater();
        s_instance = nullptr;
    }
}

HelpFrm::HelpFrm(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Aide de Vardelo"));
    auto *layout = new QVBoxLayout(this);
    Browser = new QTextBrowser(this);
    Browser->setOpenLinks(true);
    layout->addWidget(Browser);
    resize(640, 560);
}

HelpFrm::~HelpFrm()
{
    if (s_instance == this)
        s_instance = nullptr;
}
