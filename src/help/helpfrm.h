#pragma once

#include <QDialog>

class QTextBrowser;

// The help pages of the "help" folder beside the plug-in, opened at a topic.
class HelpFrm : public QDialog
{
    Q_OBJECT
public:
    // Shows (modeless, one instance) the page topic of folder helpFolder.
    static HelpFrm &open(const QString &helpFolder, const QString &topic);
    static HelpFrm *loaded() { return s_instance; }
    static void unload();
    ~HelpFrm() override;

    QTextBrowser *Browser;

private:
    explicit HelpFrm(QWidget *parent = nullptr);
    static inline HelpFrm *s_instance = nullptr;
};
