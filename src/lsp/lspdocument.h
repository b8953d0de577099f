#pragma once

#include "document/ai.h"
#include "document/blocks.h"
#include "document/problems.h"
#include "document/scriptline.h"

#include <QJsonObject>
#include <QString>
#include <memory>
#include <vector>

class Vocabulary;

// A script open in the language server's client: the client's text is the
// truth for its file, the rest of its AI is read from disk. Positions are
// the protocol's: a 0-based line and a column in UTF-16 code units (those
// of QString), line ends being CR LF, LF or a lone CR.
class LspDocument
{
public:
    LspDocument(const QString &uri, const QString &text, int version);

    const QString &uri() const { return m_uri; }
    // The local file it stands for; "" for a buffer in no file.
    const QString &path() const { return m_path; }
    int version() const { return m_version; }
    const QString &text() const { return m_text; }

    int lineCount() const { return int(m_lineStarts.size()); }
    // Line i without its line end; empty past the last line.
    QStringView line(int i) const;
    // The offset in text of a position (a column past its line's end
    // stands for that end); -1 when the line is past the text's last.
    qsizetype offset(int line, int character) const;
    // The line and column of an offset.
    std::pair<int, int> position(qsizetype offset) const;

    // A change of "textDocument/didChange": a range and its new text, or
    // the whole text. False, with the French reason, when it cannot apply
    // (the text is then as it was).
    bool apply(const QJsonObject &change, int version, QString &error);

    // The rows read from the text and their blocks, as the editor reads them.
    const std::vector<ScriptLine> &rows() const;
    const Blocks::Structure &structure() const;
    // The last line of each row (a rule's end row may stand several lines
    // below its start), and the row standing at a line (0 for none).
    int rowAtLine(int line) const;

    // The AI as last read from disk (on opening and saving).
    void findAi();
    const std::shared_ptr<const Ai> &ai() const { return m_ai; }
    // What the checks of this text are told by its AI.
    Problems::Context context(const Vocabulary *vocabulary) const;
    // The AI folder its loads are resolved from; "" for a buffer in no file.
    QString folder() const;
    // Every problem of the text, judged as part of its AI.
    std::vector<Problems::Problem> problems(const Vocabulary *vocabulary) const;

    bool diagnosticsDue = true;

private:
    void indexLines();
    void readRows() const;
    QString m_uri, m_path, m_text;
    int m_version = 0;
    std::vector<qsizetype> m_lineStarts;
    mutable std::vector<ScriptLine> m_rows;
    mutable Blocks::Structure m_structure;
    mutable std::vector<int> m_rowOfLine; // 1-based row starting at each line, 0 for none
    mutable bool m_rowsValid = false;
    std::shared_ptr<const Ai> m_ai;
    int m_aiIndex = -1;
};
