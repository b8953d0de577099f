#pragma once

#include <QString>

class QWidget;

// The two file choosers of the editor. Both start in DefaultFolder, offer the
// ".per" files or all files, and return the chosen full path, or "" when the
// user cancels.
namespace PublicVars {
QString AskOpenFileName(QWidget *parent);
QString AskSaveFileName(QWidget *parent);
} // namespace PublicVars
