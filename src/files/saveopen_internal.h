#pragma once

// What the script modules share among themselves and show no caller.
#include "document/scriptline.h"
#include "document/scriptsource.h"

#include <QByteArrayView>
#include <QStringView>
#include <functional>
#include <span>
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

    // Whether the line at p in b starts a top-level form of its own (a
    // directive, a rule or a constant), where a form left open stops.
    static bool startsTopLevelForm(QByteArrayView b, qsizetype p);

    // Whether written, which holds the content of the closed form original
    // (sameContent), certainly cuts into whole forms, none left open, the
    // first starting a top-level form as the original did: its parentheses
    // outside quotes and comments are the original's, so they balance at its
    // end and every form cut on the way ends balanced. Only a later line
    // starting a top-level form could stop one early. False when that cannot
    // be told this way.
    static bool cutsClosed(const Form &original, QByteArrayView written);

private:
    int firstNonBlank(qsizetype p) const;
    qsizetype lineEnd(qsizetype p) const;
    void nextLine(qsizetype e);
    qsizetype scanLine(qsizetype &depth) const;
    bool startsTopLevelForm(qsizetype p) const { return startsTopLevelForm(m_b, p); }

    QByteArrayView m_b;
    qsizetype m_pos;
    int m_line = 1;
};

// Where a row was read from in its form's text: from its first character
// (the "(" of an element, the ";" of a comment) to just after its last.
// The comments read inside an element written over several lines lie within
// the element's span.
struct RowSpan {
    qint32 begin = 0;
    qint32 end = 0;
    bool contains(const RowSpan &o) const { return o.begin >= begin && o.end <= end && o.begin < end; }
};

// Appends the rows of one form, given as its lines, standing on the file's
// lines from firstLine on; with spans, the span of each row appended, in the
// text the lines were cut from.
void readFormRows(std::vector<ScriptLine> &rows, const std::vector<QStringView> &lines, int form, int firstLine = 1,
                  std::vector<RowSpan> *spans = nullptr);

// Appends rows in the editor's layout, with lineEnd, each level of a rule's
// groups indented by indent; with lines, each row's line (from 1, 0 for a
// row not written). Returns the line ends written.
int appendLayout(QString &out, std::span<const ScriptLine> rows, QStringView lineEnd, QStringView indent = {},
                 int *lines = nullptr);
// Appends the rows read from a form in the editor's layout but for a row
// read with comments inside it, written with the lines it was read from
// (their leading blanks dropped) so that no comment moves.
void appendFormLayout(QString &out, std::span<const ScriptLine> rows, const std::vector<RowSpan> &spans,
                      QStringView formText, QStringView lineEnd);

// Whether two texts hold the same tokens and comments (sameContent): at
// once, true only where one walk over both shows it; by their tokens, the
// full comparison.
bool sameAtOnce(QStringView a, QStringView b);
bool sameTokens(QStringView original, QStringView written);

// What a level of indentation is in a script's text: the leading blanks its
// indented lines use most (a tab, or spaces); empty when none is.
QString indentUnit(QStringView text);
// The text of an edited form: its text as read but for the rows that
// changed, came or went (the form's rows now, in order); each row's line in
// out (from 1, 0 for a row not written) goes to lines. New lines take the
// indentation of their neighbours, or what indent gives for each level.
void patchForm(const ScriptSource &source, int form, std::span<const ScriptLine> rows,
               const std::function<QStringView()> &indent, QString &out, std::vector<int> &lines);

// The file's encoding and line ends, from its bytes.
void readConventions(QByteArrayView bytes, ScriptSource &source);

} // namespace SaveOpen
