#pragma once

#include <QString>

class QWidget;

namespace Messages {
// A plain message: title "Vardelo", one OK button.
void info(QWidget *parent, const QString &text);
// A warning with the same title and button, for failures.
void error(QWidget *parent, const QString &text);
// A Yes/No question (Oui, Non), Non by default; true for Oui. A question
// before something that cannot be undone shows a warning's icon.
enum Tone { Plain, Caution };
bool yesNo(QWidget *parent, const QString &text, Tone tone = Plain);
// Oui / Non / Annuler.
enum class Answer { Yes, No, Cancel };
Answer yesNoCancel(QWidget *parent, const QString &text);
} // namespace Messages
