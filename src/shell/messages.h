#pragma once

#include <QString>

class QWidget;

namespace Messages {
// A plain message: title "Vardelo", one OK button.
void info(QWidget *parent, const QString &text);
// A warning with the same title and button, for failures.
void error(QWidget *parent, const QString &text);
// A Yes/No question (Oui, Non); true for Oui.
bool yesNo(QWidget *parent, const QString &text);
// Oui / Non / Annuler.
enum class Answer { Yes, No, Cancel };
Answer yesNoCancel(QWidget *parent, const QString &text);
} // namespace Messages
