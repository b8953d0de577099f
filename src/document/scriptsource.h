#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>
#include <unordered_map>
#include <vector>

enum class TextEncoding : quint8 { Windows1252, Utf8 };

// One top-level form of a script file: a rule with everything inside it, a
// constant, a load, a directive, a comment line, a blank line, or any other
// text. Forms lie end to end and cover the whole file: each runs from its
// first line up to the next form's first line, line ends included.
struct SourceForm {
    qint32 charBegin = 0; // in the decoded text
    qint32 byteBegin = 0; // in the file's bytes
    qint32 firstLine = 1; // 1-based line number in the file
    // A row of the form was edited, inserted or deleted: saving writes those
    // rows anew, the rest of the form as read.
    bool edited = false;
    // Writing the form in the editor's layout would change its content.
    bool keptAsRead = false;
    // Whether keptAsRead is known: a script opened in the window is judged
    // after its rows show.
    bool judged = true;
};

// A line of the file whose content the editor's layout would lose or change.
struct LostLine {
    int number = 0; // 1-based, in the file
    QString text;
};

// What a script was read from: its bytes, its text, its conventions and its
// forms. Rows point at their form; an untouched form is saved byte for byte.
struct ScriptSource {
    QByteArray bytes;   // the file as read
    QString text;       // decoded, without the byte-order mark
    TextEncoding encoding = TextEncoding::Windows1252;
    bool byteOrderMark = false;
    QString lineEnd = QStringLiteral("\r\n"); // for lines the editor writes
    bool finalLineEnd = true;                 // the file ends with a line end
    int lineCount = 0;
    std::vector<SourceForm> forms;
    // For each form kept as read: what the editor's layout would lose.
    std::unordered_map<int, QList<LostLine>> lost;

    bool isEmpty() const { return forms.empty(); }
    int formCount() const { return int(forms.size()); }
    QStringView formText(int f) const;
    QByteArrayView formBytes(int f) const;
    // The last line of form f (1-based).
    int lastLine(int f) const;
    // The forms saving keeps as read although the editor's layout would
    // change them (the ones the user has not changed).
    int keptCount() const;
    // Whether saving keeps form f byte for byte while the layout cannot.
    bool isKept(int f) const { return f >= 0 && f < formCount() && forms[size_t(f)].keptAsRead && !forms[size_t(f)].edited; }
    // The French explanation of why form f is kept as read, naming what the
    // editor's layout would lose (for tooltips and questions).
    QString keptReason(int f, int shown = 6) const;
    // A name for "Texte" encodings ("Windows-1252", "UTF-8").
    QString encodingName() const;
    // The same text and forms in another encoding (without byte-order mark):
    // the bytes and the forms' places in them made anew. A form holding a
    // character that encoding cannot hold is marked edited, so that saving
    // names its row rather than writing it.
    ScriptSource reencoded(TextEncoding to) const;
};
