#include "frenchqt.h"

#include "pluginfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>

namespace FrenchQt {

namespace {
struct State {
    std::unique_ptr<QTranslator> translator;
    int users = 0;
    // The library may be unloaded with a control still alive: the
    // application must not keep a translator whose owner is gone.
    ~State()
    {
        if (translator && QCoreApplication::instance())
            QCoreApplication::removeTranslator(translator.get());
    }
};

State &state()
{
    static State s;
    return s;
}

// A deployment ships the file beside the plug-in, matching the Qt it was
// built with; otherwise the one of the Qt installation the host runs on.
QStringList folders()
{
    return {QDir(PluginFolder::path()).filePath(QStringLiteral("translations")),
            QLibraryInfo::path(QLibraryInfo::TranslationsPath)};
}
} // namespace

bool install()
{
    State &s = state();
    if (s.users++ > 0)
        return s.translator != nullptr;
    if (!QCoreApplication::instance())
        return false;
    auto translator = std::make_unique<QTranslator>();
    for (const QString &folder : folders()) {
        if (translator->load(QStringLiteral("qtbase_fr"), folder)) {
            QCoreApplication::installTranslator(translator.get());
            s.translator = std::move(translator);
            return true;
        }
    }
    return false;
}

void remove()
{
    State &s = state();
    if (s.users == 0 || --s.users > 0)
        return;
    if (s.translator && QCoreApplication::instance())
        QCoreApplication::removeTranslator(s.translator.get());
    s.translator.reset();
}

QString loadedFile()
{
    const State &s = state();
    return s.translator ? s.translator->filePath() : QString();
}

} // namespace FrenchQt
