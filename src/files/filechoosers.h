#pragma once

#include "filecommands.h"

#include <QString>

class QWidget;

// The two file choosers of the editor. Both start in DefaultFolder, offer the
// ".per" files or all files, and return the chosen full path, or "" when the
// user cancels.
namespace PublicVars {
QString AskOpenFileName(QWidget *parent);
QString AskSaveFileName(QWidget *parent);
} // namespace PublicVars

// The editor window's way of asking what the file commands need: Qt's file
// choosers, message boxes over the window, the companion file question and
// the busy cursor.
class WindowFileDialogs : public FileDialogs
{
public:
    explicit WindowFileDialogs(QWidget *window) : m_window(window) {}
    QString askOpenFileName() override;
    QString askSaveFileName() override;
    bool askYesNo(const QString &question) override;
    Answer askYesNoCancel(const QString &question) override;
    bool askOverwrite(const QString &question) override;
    void tell(const QString &message) override;
    void askCompanion(const QString &path) override;
    void busy(bool on) override;
    bool inDialog() const override;

private:
    QWidget *m_window;
};
