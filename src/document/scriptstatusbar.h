#pragma once

#include <QStatusBar>

class PlugFrm;
class QLabel;
class QTimer;

// The editor window's status bar: the script's file name (or "Sans titre"),
// the modified mark, the number of rows, the encoding and the line ends.
class ScriptStatusBar : public QStatusBar
{
    Q_OBJECT
public:
    explicit ScriptStatusBar(PlugFrm *frm);

    QLabel *FileName;
    QLabel *Modified;
    QLabel *Rows;
    QLabel *Encoding;
    QLabel *LineEnds;

    // Shows the window's state now.
    void refresh();

private:
    PlugFrm *m_frm;
    // Row changes come one by one (200,000 appends in a row): the count is
    // shown once they are done.
    QTimer *m_pending;
};
