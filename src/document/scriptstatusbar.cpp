#include "scriptstatusbar.h"

#include "scriptdocument.h"
#include "scriptproblems.h"

#include <QFileInfo>
#include <QDir>
#include <QLabel>
#include <QLocale>
#include <QTimer>

namespace {
QString lineEndName(const QString &lineEnd)
{
    if (lineEnd == QLatin1String("\n"))
        return QStringLiteral("LF");
    if (lineEnd == QLatin1String("\r"))
        return QStringLiteral("CR");
    return QStringLiteral("CR LF");
}

QLabel *section(QStatusBar *bar)
{
    auto *label = new QLabel(bar);
    label->setTextInteractionFlags(Qt::NoTextInteraction);
    bar->addPermanentWidget(label);
    return label;
}
} // namespace

ScriptStatusBar::ScriptStatusBar(ScriptDocument &document, QWidget *parent)
    : QStatusBar(parent), m_document(document), m_pending(new QTimer(this))
{
    // The file name is no permanent section: a message shows in its place
    // for as long as it lasts (permanent ones would leave it no room).
    FileName = new QLabel(this);
    FileName->setTextInteractionFlags(Qt::NoTextInteraction);
    addWidget(FileName, 1);
    Problems = section(this);
    Modified = section(this);
    Rows = section(this);
    Encoding = section(this);
    LineEnds = section(this);
    m_pending->setSingleShot(true);
    m_pending->setInterval(0);
    connect(m_pending, &QTimer::timeout, this, &ScriptStatusBar::refresh);

    connect(&document, &ScriptDocument::modifiedChanged, this, &ScriptStatusBar::refresh);
    connect(&document, &ScriptDocument::fileChanged, this, &ScriptStatusBar::refresh);
    connect(&document.problems(), &ScriptProblems::changed, this, [this] {
        Problems->setText(Problems::describe(m_document.problems().counts()));
    });
    const ScriptModel *rows = &document.rows();
    connect(rows, &ScriptModel::modelReset, this, &ScriptStatusBar::refresh);
    const auto later = [this] {
        if (!m_pending->isActive())
            m_pending->start();
    };
    connect(rows, &ScriptModel::rowsInserted, this, later);
    connect(rows, &ScriptModel::rowsRemoved, this, later);
    connect(rows, &ScriptModel::headerDataChanged, this, later); // lines saved
    refresh();
}

void ScriptStatusBar::refresh()
{
    m_pending->stop();
    const QString &file = m_document.currentFile();
    FileName->setText(file.isEmpty() ? QStringLiteral("Sans titre") : QFileInfo(file).fileName());
    FileName->setToolTip(QDir::toNativeSeparators(file));
    Modified->setText(m_document.isModified() ? QStringLiteral("Modifié") : QString());
    // The file's lines and the list's rows; a script in no file has rows only.
    const QLocale french(QLocale::French);
    const auto counted = [&french](int n, const QString &one, const QString &many) {
        return QStringLiteral("%1 %2").arg(french.toString(n), n > 1 ? many : one);
    };
    const int count = m_document.rows().count();
    const QString rows = counted(count, QStringLiteral("rangée"), QStringLiteral("rangées"));
    Rows->setText(file.isEmpty() ? rows
                                 : counted(m_document.rows().fileLineCount(), QStringLiteral("ligne"),
                                           QStringLiteral("lignes"))
                                       + QStringLiteral(", ") + rows);
    const ScriptSource &source = m_document.source();
    Encoding->setText(source.byteOrderMark ? source.encodingName() + QStringLiteral(" avec BOM") : source.encodingName());
    LineEnds->setText(lineEndName(source.lineEnd));
}
