#pragma once

// What the script modules share among themselves and show no caller.
#include "document/scriptline.h"
#include "document/scriptsource.h"

#include <QByteArrayView>
#include <QStringView>
#include <vector>

namespace SaveOpen {

// Cuts a file's bytes into forms, one after the other. It looks only at
// ASCII characters (parentheses, quotes, ";", "#", blanks, line ends and the
// keywords), which are single bytes in Windows-1252 and UTF-8 alike and are
// never part of another character, so it works on the bytes before decoding.
class FormCutter
{
public:
    FormCutter(QByteArrayView bytes, qsizetype from) : m_b(bytes), m_pos(from) {}

    struct Form {
        qsizetype begin = 0; // first byte
        qsizetype end = 0;   // just after its last line end
        int firstLine = 1;
        int lines = 0;
        bool open = false; // ended before its parentheses balanced
        bool top = false;  // its first line starts a top-level form
    };

    // The next form; false at the end of the bytes.
    bool next(Form &f);

private:
    int firstNonBlank(qsizetype p) const;
    qsizetype lineEnd(qsizetype p) const;
    void nextLine(qsizetype e);
    qsizetype scanLine(qsizetype &depth) const;
    bool startsTopLevelForm(qsizetype p) const;

    QByteArrayView m_b;
    qsizetype m_pos;
    int m_line = 1;
};

// Appends the rows of one form, given as its lines, standing on the file's
// lines from firstLine on.
void readFormRows(std::vector<ScriptLine> &rows, const std::vector<QStringView> &lines, int form, int firstLine = 1);

// The file's encoding and line ends, from its bytes.
void readConventions(QByteArrayView bytes, ScriptSource &source);

} // namespace SaveOpen
