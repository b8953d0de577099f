// The editor window's file commands: Nouveau, Ouvrir, Enregistrer,
// Enregistrer sous..., Quitter, and the companion ".ai" file.
#include "document/plugfrm.h"

#include "document/scriptlistview.h"
#include "files/createaifrm.h"
#include "files/filechoosers.h"
#include "files/saveopen.h"
#include "shell/busycursor.h"
#include "shell/fileservices.h"
#include "shell/messages.h"
#include "shell/options.h"

#include <QComboBox>
#include <QFileInfo>
#include <QScopedValueRollback>

bool PlugFrm::maybeSave()
{
    if (!m_modified)
        return true;
    switch (Messages::yesNoCancel(this, QStringLiteral("Le script a été modifié. Voulez-vous enregistrer les modifications ?"))) {
    case Messages::Answer::Yes:
        return SaveFile_Click();
    case Messages::Answer::No:
        return true;
    case Messages::Answer::Cancel:
        return false;
    }
    return false;
}

void PlugFrm::NewFile_Click()
{
    if (!maybeSave())
        return;
    ListView1->rows().clear();
    ListView1->scrollToTop();
    Combo1->setCurrentIndex(0);
    CurrentFile.clear();
    m_consented.clear();
    setModified(false);
    currentFileChanged();
}

bool PlugFrm::openScript(const QString &path)
{
    QString error;
    {
        BusyCursor busy;
        SaveOpen::ReadResult r;
        if (SaveOpen::ReadScriptFile(path, r, error)) {
            // Parts the editor cannot rewrite are kept as read and shown in
            // italics; a line under the list counts them.
            m_consented.clear();
            ListView1->rows().setScript(std::move(r.rows), std::move(r.source));
            ListView1->scrollToTop(); // a new script opens at its start
            CurrentFile = path;
            setModified(false);
        }
    }
    if (!error.isEmpty()) {
        Messages::error(this, error);
        return false;
    }
    currentFileChanged();
    return true;
}

void PlugFrm::OpenFile_Click()
{
    if (!maybeSave())
        return;
    const QString path = PublicVars::AskOpenFileName(this);
    if (!path.isEmpty())
        openScript(path);
}

bool PlugFrm::SaveFile_Click()
{
    if (CurrentFile.isEmpty())
        return SaveFileAs_Click();
    if (!mayKeepOpenBlocks())
        return false;
    QString problem;
    bool saved = false;
    {
        BusyCursor busy;
        ScriptModel &rows = ListView1->rows();
        SaveOpen::SaveText text;
        if (!SaveOpen::buildScriptBytes(rows.lines(), rows.source(), text, problem))
            problem = text.rowMessage(rows.lines(), problem);
        else
            saved = FileServices::saveFile(CurrentFile, text.bytes, problem);
        // the rows now stand where the file has them
        if (saved)
            rows.setSavedLines(text.lines, text.lineCount);
    }
    if (!saved) {
        Messages::error(this, problem);
        return false;
    }
    setModified(false);
    currentFileChanged();

    const QString companion = SaveOpen::companionFileName(CurrentFile);
    if (Options::CompanionFilePolicy == 1) {
        QString error;
        if (!SaveOpen::ensureCompanionFile(companion, error))
            Messages::error(this, error);
    } else if (Options::CompanionFilePolicy == 2) {
        CreateAIFrm ask(this);
        ask.Path = companion;
        ask.exec();
    }
    return true;
}

bool PlugFrm::SaveFileAs_Click()
{
    // asked once, before the chooser
    if (!mayKeepOpenBlocks())
        return false;
    const QScopedValueRollback asked(m_openBlocksAccepted, true);
    QString path;
    while (true) {
        path = PublicVars::AskSaveFileName(this);
        if (path.isEmpty())
            return false;
        if (!QFileInfo::exists(path) || Messages::yesNo(this, QStringLiteral("voulez vous écraser le fichier existant?")))
            break;
    }
    const QString previous = CurrentFile;
    CurrentFile = path;
    if (!SaveFile_Click()) {
        CurrentFile = previous;
        return false;
    }
    return true;
}

void PlugFrm::Quit_Click()
{
    close();
}
