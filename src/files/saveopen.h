#pragma once

#include "document/scriptline.h"
#include "document/scriptsource.h"

#include <QString>
#include <QStringList>
#include <QStringView>
#include <atomic>
#include <functional>
#include <span>
#include <vector>

// Script text <-> script lines.
namespace SaveOpen {

// The rows in the editor's layout: one line per row, each ended by lineEnd
// ("=>" before a rule's first action, a "Comm E" row at the end of the line
// before it). Writing, reading and writing again gives the same text.
QString BuildScriptText(const std::vector<ScriptLine> &rows, QStringView lineEnd = u"\r\n");
void appendScriptText(QString &out, std::span<const ScriptLine> rows, QStringView lineEnd);
// A row's own text in the editor's layout, without its line end (the lines
// of a random load joined by "\n"): out is replaced, its storage reused.
void rowLayoutText(const ScriptLine &row, QString &out);
// Whether a row's layout text is its display text between prefix and suffix
// (an action "(", ")"), which are then set.
bool layoutWraps(const ScriptLine &row, QStringView &prefix, QStringView &suffix);

// Calls run(first, end, form) for each run of consecutive rows of one form
// (or of rows made in the editor), rows first to end excluded.
template <class Run>
void forEachFormRun(std::span<const ScriptLine> rows, Run run)
{
    const size_t n = rows.size();
    for (size_t i = 0, j = 0; i < n; i = j) {
        j = i + 1;
        while (j < n && rows[j].form == rows[i].form)
            ++j;
        run(i, j, rows[i].form);
    }
}

// The bytes saving writes: every form of the source whose rows are untouched
// as it was read, byte for byte; in an edited form, only the rows changed,
// inserted or deleted written anew, the rest as read; new forms in the
// editor's layout with the file's indentation; all with the file's line end
// and encoding. With canonical, every form but those kept as read is written
// in the editor's layout (the formatter).
struct SaveText {
    QByteArray bytes;
    // Where each row stands in bytes: its 1-based line, 0 for a row not
    // written; and how many lines bytes holds.
    std::vector<int> lines;
    int lineCount = 0;
    // After a refusal: the row (1-based) holding the character the file's
    // encoding cannot hold, and that character.
    int row = 0;
    QString character;
    // The French refusal naming that row of the list (for the editor), or
    // error when no row holds the character.
    QString rowMessage(const std::vector<ScriptLine> &rows, const QString &error) const;
};
// False when a character cannot be held by the file's encoding, with a French
// message naming its line in error (saved.bytes is then empty).
bool buildScriptBytes(const std::vector<ScriptLine> &rows, const ScriptSource &source, SaveText &saved, QString &error,
                      bool canonical = false);
// The formatter: a file's bytes with every form in the editor's layout, in
// the file's encoding and line ends, each comment on its line and in its
// place (a row read with comments inside keeps its lines), but for the forms
// the layout would change, kept as read (what the check reports). It reads and writes form
// by form, handing the output to write in chunks; a write that fails stops
// it, with the reason in error.
bool formatScriptBytes(QByteArrayView bytes, const std::function<bool(QByteArrayView)> &write, QString &error);
// Whether the written text of a form, holding the original's content
// (sameContent), is cut from a script as the original form was: into whole
// forms, the last closed or left open as it was, and starting a top-level
// form when it did (so the forms around it are cut as before), and starting
// with the bytes of a UTF-8 byte-order mark only when it did.
bool cutsAlike(QByteArrayView original, QByteArrayView written);
// UTF-8 bytes as text, a U+FEFF at their start included.
QString decodeUtf8(QByteArrayView bytes);
// The text those bytes hold (what the preview shows).
QString decodeScriptBytes(const QByteArray &bytes, const ScriptSource &source);

// The decoded text of a file's bytes and its conventions: UTF-8 when the file
// starts with a UTF-8 byte-order mark or is valid UTF-8 holding a multi-byte
// sequence, Windows-1252 otherwise; the line end of its first line.
ScriptSource decodeScript(QByteArray bytes);
// Cuts the source's text into forms and reads their rows.
std::vector<ScriptLine> readForms(ScriptSource &source);
// The rows read from a script text (no forms kept).
std::vector<ScriptLine> readScriptText(QStringView text);

// Whether a row a dialog made reads back as the same row: written in its
// place (a fact or an action inside a rule, an end-of-line comment after a
// line), read again and written again, it gives rows of the same kinds and
// a text of the same content.
// False when its text would break the script's line.
bool readsBack(LineKind kind, const QString &text);

// Where saving would not keep a script's content: the file's lines whose
// tokens or comments the written text would lose or change.
struct FidelityReport {
    QList<LostLine> lines; // in file order
    bool faithful() const { return lines.isEmpty(); }
};
// Compares the content (tokens outside comments, keywords in any case, and
// the non-empty comment texts, each after the same tokens, on a line of its
// own or not, on the line of the one before or not) of the original text
// with the text saving would write. firstLine numbers the original's first line.
FidelityReport compareContent(QStringView original, QStringView written, int firstLine = 1);
// Whether both texts have the same content (no report; fast).
bool sameContent(QStringView original, QStringView written);
// Marks the forms whose rows, written in the editor's layout as the
// formatter writes them, would not keep their content or would not be cut
// as they were, and records what they would lose.
void markKeptForms(const std::vector<ScriptLine> &rows, ScriptSource &source);
// The same for form f alone, as it was read, when it is not judged yet.
void judgeForm(ScriptSource &source, int f);
// The forms of source not judged yet that stay as read, each with what the
// layout would lose: the whole file's judgement, for a thread of its own (a
// copy of the source is cheap: its text is shared). Stops early, with what it
// found so far, once stop is set.
using KeptForms = std::unordered_map<int, QList<LostLine>>;
KeptForms judgeForms(ScriptSource source, const std::atomic_bool &stop);
// The French report of `vardelo check`: each form concerned (its first
// line's number and text) and how many in all; empty when there is none.
QString keptFormsReport(const ScriptSource &source, int shown = 20);

// A script read: its rows and its source.
struct ReadResult {
    std::vector<ScriptLine> rows;
    ScriptSource source;
};
// Reads a script file; false, with a French message naming the file and the
// reason in error, when it cannot be read (script is then left as it was).
bool ReadScriptFile(const QString &path, ReadResult &script, QString &error);
// Without check, no form is marked as kept (for the formatter).
ReadResult readScriptBytes(QByteArray bytes, bool check = true);

// The companion file's name: the script's name with its extension replaced
// by ".ai" (appended when it has none).
QString companionFileName(const QString &scriptPath);
// Creates the companion file when it is missing; an existing one is left as
// it is. False, with a French message in error, when it cannot be created.
bool ensureCompanionFile(const QString &companionPath, QString &error);

} // namespace SaveOpen
