#pragma once

#include <QStatusBar>

class ScriptDocument;
class QLabel;
class QTimer;

// The editor window's status bar: the script's file name (or "Sans titre"),
// the modified mark, the number of rows, the encoding and the line ends.
class ScriptStatusBar : public QStatusBar
{
    Q_OBJECT
public:
    ScriptStatusBar(ScriptDocument &document, QWidget *parent);

    QLabel *FileName;
    QLabel *Problems; // "2 erreurs, 5 avertissements", empty when none
    QLabel *Modified;
    QLabel *Rows;
    QLabel *Encoding;
    QLabel *LineEnds;

    // Shows the document's state now.
    void refresh();

private:
    ScriptDocument &m_document;
    // Row changes come one by one (200,000 appends in a row): the count is
    // shown once they are done.
    QTimer *m_pending;
};
