#include "filebars.h"

#include "document/scriptdocument.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPushButton>

FileBar::FileBar(QWidget *parent) : QFrame(parent)
{
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(255, 246, 204));
    p.setColor(QPalette::WindowText, Qt::black);
    setPalette(p);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 4, 4, 4);
    Label1 = new QLabel(this);
    Label1->setWordWrap(true);
    Label1->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Command1 = new QPushButton(this);
    Command2 = new QPushButton(this);
    layout->addWidget(Label1, 1);
    layout->addWidget(Command1);
    layout->addWidget(Command2);
    hide();
}

void FileBar::say(const QString &text, const QString &first, const QString &second)
{
    Label1->setText(text);
    Command1->setText(first);
    Command1->setVisible(!first.isEmpty());
    Command2->setText(second);
    Command2->setVisible(!second.isEmpty());
    show();
}

FileBars::FileBars(FileCommands &commands, ScriptDocument &document, QBoxLayout *listColumn, QWidget *window)
    : QObject(window), RecoveryBar(new FileBar(window)), DiskBar(new FileBar(window)), WarningBar(new FileBar(window)),
      m_commands(commands), m_document(document)
{
    listColumn->insertWidget(0, DiskBar);
    listColumn->insertWidget(0, RecoveryBar);
    listColumn->insertWidget(0, WarningBar);
    connect(&commands, &FileCommands::notice, this, &FileBars::show);
    // Work no longer kept safe stays said until the user closes it.
    connect(&commands, &FileCommands::recoveryFailed, WarningBar,
            [this](const QString &m) { WarningBar->say(m, QString(), QStringLiteral("Fermer")); });
    connect(WarningBar->Command2, &QPushButton::clicked, WarningBar, &QWidget::hide);

    connect(RecoveryBar->Command1, &QPushButton::clicked, this, [this] {
        if (m_commands.recover())
            RecoveryBar->hide();
    });
    connect(RecoveryBar->Command2, &QPushButton::clicked, this, [this] {
        RecoveryBar->hide();
        m_commands.ignoreRecovery(); // may offer another script's work
    });
    connect(DiskBar->Command1, &QPushButton::clicked, this, [this] {
        if (m_commands.reload())
            DiskBar->hide();
    });
    connect(DiskBar->Command2, &QPushButton::clicked, DiskBar, &QWidget::hide);
    // Written again, the file holds the list: a change or removal by
    // another program is no longer news.
    connect(&commands, &FileCommands::fileWritten, DiskBar, &QWidget::hide);
    // A bar about a script no longer shown goes.
    connect(&document, &ScriptDocument::fileChanged, this, [this] {
        if (m_document.currentFile() != m_recoveryFor)
            RecoveryBar->hide();
        if (m_document.currentFile() != m_diskFor)
            DiskBar->hide();
    });
}

void FileBars::show(FileCommands::Notice kind, const QString &message)
{
    using Notice = FileCommands::Notice;
    switch (kind) {
    case Notice::Recovery:
    case Notice::RecoveryUnreadable:
    case Notice::RecoveryListed:
        m_recoveryFor = m_document.currentFile();
        RecoveryBar->say(message, kind == Notice::Recovery ? QStringLiteral("Récupérer") : QString(),
                         kind == Notice::Recovery ? QStringLiteral("Ignorer") : QStringLiteral("Fermer"));
        break;
    case Notice::Reloaded:
    case Notice::ChangedOutside:
    case Notice::RemovedOutside:
        m_diskFor = m_document.currentFile();
        DiskBar->say(message, kind == Notice::ChangedOutside ? QStringLiteral("Recharger") : QString(),
                     kind == Notice::Reloaded ? QStringLiteral("Fermer") : QStringLiteral("Ignorer"));
        break;
    }
}
