#pragma once

#include <QLineEdit>
#include <functional>

class QCompleter;
class QStringListModel;

// "Modifier le texte": a row's written text typed in place over the row,
// completing the word at the cursor. Entrée asks for the text to be taken,
// Echap cancels; while the completion list shows, they act on it.
class RowTextEditor : public QLineEdit
{
    Q_OBJECT
public:
    // The words that may stand after before (the text up to the word being
    // typed).
    using Offer = std::function<QStringList(QStringView before)>;
    RowTextEditor(const QString &text, Offer offer, QWidget *parent);

    QCompleter *completer() const { return m_completer; }

signals:
    void accepted();
    void cancelled();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    // asked: Ctrl+Espace, which offers the words before any letter
    void offerWords(bool asked);
    void insertWord(const QString &word);

    Offer m_offer;
    QCompleter *m_completer;
    QStringListModel *m_words;
};
