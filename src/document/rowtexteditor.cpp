#include "rowtexteditor.h"

#include "rowcompletion.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QKeyEvent>
#include <QStringListModel>
#include <QTimer>

RowTextEditor::RowTextEditor(const QString &text, Offer offer, QWidget *parent)
    : QLineEdit(text, parent), m_offer(std::move(offer)), m_completer(new QCompleter(this)),
      m_words(new QStringListModel(this))
{
    m_completer->setModel(m_words);
    m_completer->setCaseSensitivity(Qt::CaseInsensitive);
    m_completer->setCompletionMode(QCompleter::PopupCompletion);
    m_completer->setWidget(this);
    connect(m_completer, qOverload<const QString &>(&QCompleter::activated), this, &RowTextEditor::insertWord);
    connect(this, &QLineEdit::textEdited, this, [this] { offerWords(false); });
}

void RowTextEditor::keyPressEvent(QKeyEvent *event)
{
    if (m_completer->popup()->isVisible()) {
        switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            event->ignore(); // the list takes them
            return;
        default:
            break;
        }
    }
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        emit accepted();
        return;
    case Qt::Key_Escape:
        emit cancelled();
        return;
    default:
        break;
    }
    QLineEdit::keyPressEvent(event);
    // Ctrl+Espace asks for the words with nothing typed yet
    if (event->key() == Qt::Key_Space && (event->modifiers() & Qt::ControlModifier))
        offerWords(true);
}

void RowTextEditor::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    // Elsewhere in the window the typing is dropped; another window (a
    // message about the text, the completion list) takes the focus only for
    // a while.
    QTimer::singleShot(0, this, [this] {
        const QWidget *now = QApplication::focusWidget();
        if (now && now != this && now->window() == window() && !m_completer->popup()->isVisible())
            emit cancelled();
    });
}

void RowTextEditor::offerWords(bool asked)
{
    const QString before = text().left(cursorPosition());
    const qsizetype start = RowCompletion::wordStart(before);
    const QString prefix = before.mid(start);
    // typing offers words once a letter of one is there
    const QStringList words = prefix.isEmpty() && !asked ? QStringList() : m_offer(QStringView(before).left(start));
    if (words.isEmpty()) {
        m_completer->popup()->hide();
        return;
    }
    m_words->setStringList(words);
    m_completer->setCompletionPrefix(prefix);
    if (m_completer->completionCount() == 0) {
        m_completer->popup()->hide();
        return;
    }
    m_completer->popup()->setCurrentIndex(m_completer->completionModel()->index(0, 0));
    QRect r = cursorRect();
    r.setWidth(qMax(200, m_completer->popup()->sizeHintForColumn(0) + 24));
    m_completer->complete(r);
}

void RowTextEditor::insertWord(const QString &word)
{
    const QString before = text().left(cursorPosition());
    const qsizetype start = RowCompletion::wordStart(before);
    const QString after = text().mid(cursorPosition());
    setText(before.left(start) + word + after);
    setCursorPosition(int(start + word.size()));
}
