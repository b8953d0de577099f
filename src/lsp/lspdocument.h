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

    // The rows read from the text, as the editor reads them. A change reads
    // again only the top-level forms it touches.
    const std::vector<ScriptLine> &rows() const { return m_rows; }

    // The AI as last read from disk (on opening and saving).
    void findAi();
    const std::shared_ptr<const Ai> &ai() const { return m_ai; }
    // What the checks of this text are told by its AI.
    Problems::Context context(const Vocabulary *vocabulary) const;
    // The AI folder its loads are resolved from; "" for a buffer in no file.
    QString folder() const;
    // Every problem of the text, judged as part of its AI: the rows changed
    // since the last call are checked again, all of them when the constants
    // changed.
    std::vector<Problems::Problem> problems(const Vocabulary *vocabulary);

    bool diagnosticsDue = true;

private:
    void indexLines();
    void readAll();
    // Reads again the forms of the lines first to last (as they were before
    // the change), which now end delta lines further.
    void readAgain(int first, int last, int delta);
    QString m_uri, m_path, m_text;
    int m_version = 0;
    std::vector<qsizetype> m_lineStarts;
    std::vector<ScriptLine> m_rows;
    // Each top-level form's first line (0-based) and first row (0-based).
    std::vector<int> m_formLines, m_formRows;
    std::shared_ptr<const Ai> m_ai;
    int m_aiIndex = -1;
    // The checks as last made: the problems of the rows themselves, the
    // checker that found them, and the rows changed since (1-based).
    std::unique_ptr<Problems::Checker> m_checker;
    std::vector<Problems::Problem> m_own;
    std::vector<int> m_dirty;
    bool m_checkAll = true;
};
