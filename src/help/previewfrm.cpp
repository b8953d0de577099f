#include "previewfrm.h"

#include "editors/editorsupport.h"
#include "previewtext.h"

#include <QFontDatabase>
#include <QVBoxLayout>

PreviewFrm &PreviewFrm::instance()
{
    // Over the editor window, centred on it like the other dialogs.
    if (!s_instance)
        s_instance = new PreviewFrm(EditorSupport::dialogParent());
    return *s_instance;
}

void PreviewFrm::unload()
{
    if (s_instance) {
        s_instance->reject();
        s_instance->deleteLater();
        s_instance = nullptr;
    }
}

PreviewFrm::PreviewFrm(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Prévisualisation"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    Text1 = new PreviewText(this);
    Text1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    layout->addWidget(Text1);
    resize(640, 480);
}

PreviewFrm::~PreviewFrm()
{
    if (s_instance == this)
        s_instance = nullptr;
}
