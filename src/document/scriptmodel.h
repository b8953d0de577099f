#pragma once

#include "blocks.h"
#include "rowsearch.h"
#include "scriptline.h"
#include "scriptsource.h"

#include <QAbstractListModel>
#include <vector>

// One change of the rows, as the history keeps it: enough to undo and redo it
// exactly, without a copy of the other rows.
struct RowChange {
    enum Kind : quint8 { Inserted, Removed, Replaced, FormEdited };
    Kind kind = Replaced;
    int pos = 0;       // the row (1-based); for FormEdited, the form
    ScriptLine before; // Removed, Replaced
    ScriptLine after;  // Inserted, Replaced
};

// The rows of the script, in one contiguous array. Positions in the public
// row operations are 1-based, as the rest of the editor counts them; the Qt
// model interface underneath is 0-based as usual.
class ScriptModel : public QAbstractListModel
{
    Q_OBJECT
public:
    explicit ScriptModel(QObject *parent = nullptr);

    // Beside the display and tooltip roles: the row's depth in the block
    // structure (int), the text naming its broken block (QString, none when
    // the block is whole), its kind (int, a LineKind), its colour (a QRgb),
    // whether its part is kept as read (bool: drawn in italics) and whether
    // it holds the text being looked for (bool: drawn highlighted). The
    // window turns the last three into colours and fonts: the model needs no
    // drawing library.
    enum Role { DepthRole = Qt::UserRole + 1, BlockProblemRole, KindRole, ColourRole, KeptRole, HighlightRole };

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    // The vertical header shows each row's file line (blank when it has none).
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    int count() const { return int(m_lines.size()); }
    // The row at pos; an empty row of no kind when pos is not a row.
    const ScriptLine &line(int pos) const;
    const std::vector<ScriptLine> &lines() const { return m_lines; }

    // Adds a row with the given text at the end (pos 0) or at pos, pushing the
    // row there and those after it down by one. Returns the new row's position.
    // A row added strictly inside a form of the source joins it.
    int addRow(const QString &text, int pos = 0);
    // The form a row added at pos would join (a "Comm E" row joins the form
    // of the row it ends), or ScriptLine::NoForm.
    int formJoinedAt(int pos, LineKind kind) const;
    void setText(int pos, const QString &text);
    void setKind(int pos, LineKind kind);
    void setColour(int pos, QRgb colour);
    QString text(int pos) const { return line(pos).text; }
    LineKind kind(int pos) const { return line(pos).kind; }
    void removeRow(int pos);
    // Several rows at once, for the commands on a selection: one insertion
    // or removal for the view, one change a row for the history. The rows
    // inserted keep the form they carry; the forms touched are marked edited.
    void insertLines(int pos, std::vector<ScriptLine> lines);
    void removeLines(int pos, int count);
    void clear();
    // Replaces every row in one reset; the rows are new (no source).
    void setLines(std::vector<ScriptLine> lines);
    // Replaces every row and the source they were read from (reading a file).
    void setScript(std::vector<ScriptLine> lines, ScriptSource source);
    const ScriptSource &source() const { return m_source; }
    // Counts the scripts setScript was given: a judgement made on a thread
    // applies only to the source it was made on.
    quint64 scriptGeneration() const { return m_generation; }
    // The judgement of the forms not judged yet: those in kept stay as read,
    // with what the layout would lose, and their rows are drawn again.
    void setJudgement(std::unordered_map<int, QList<LostLine>> kept);
    // The source, for judging one of its forms now.
    ScriptSource &sourceToJudge() { return m_source; }
    // The lines of the file as last read or saved; 0 when there is none.
    int fileLineCount() const { return m_fileLines; }
    // After a save: each row's line in the saved file (one per row, 0 for a
    // row not written) and the file's number of lines. The rows stay.
    void setSavedLines(const std::vector<int> &lines, int lineCount);
    // The first row standing on file line, or else the row standing nearest
    // before it; 0 when no row stands on a line up to it.
    int rowOfLine(int line) const;
    // How messages name the row at pos.
    QString placeOf(int pos) const { return rowPlace(line(pos), pos); }
    // The form of the row at pos, when saving keeps it as read although the
    // editor's layout would change it; else ScriptLine::NoForm.
    int keptFormAt(int pos) const;
    // Rows whose text (label or text as written) contains text get a pale yellow background, as long as
    // the find bar shows; an empty text marks none.
    void setHighlight(const QString &text, Qt::CaseSensitivity cs);
    // Puts back the state before (undo) or after a change this model made,
    // from the state right after (or before) it.
    void applyChange(const RowChange &change, bool undo);
    // The changes of one step, in their order (undo: from the last back):
    // rows inserted or removed one after the other are put back at once.
    void applyChanges(const RowChange *begin, const RowChange *end, bool undo);

    // The blocks of the rows, worked out again when asked after a change.
    const Blocks::Structure &structure() const;

signals:
    // Any change of the rows, for the window's "modified" state.
    void contentChanged();
    // Each change made by the row operations above (not by resets), in order.
    void changeMade(const RowChange &change);
    // setSavedLines gave the rows their lines in a newly saved file.
    void linesSaved();

private:
    // Changes come row by row (a file of 150,000 rows is added in one reset,
    // but commands and the composer add one row at a time): the structure
    // is worked out once the event loop turns, then every row is repainted.
    void structureOutdated();
    mutable Blocks::Structure m_structure;
    mutable bool m_structureValid = true;
    bool m_structureDue = false;
    void rowChanged(int pos, int role);
    bool valid(int pos) const { return pos >= 1 && pos <= count(); }
    // A row of the form changed: saving writes that row anew.
    void formEdited(int form);
    void setFormEdited(int form, bool edited);
    void insertLine(int pos, const ScriptLine &line);
    void eraseLine(int pos);
    // A run of changes from at on that insert (or erase) consecutive rows,
    // applied at once; the number of changes it took, 0 when none.
    size_t applyRun(const RowChange *const *changes, size_t count, bool undo);
    std::vector<ScriptLine> m_lines;
    ScriptSource m_source;
    quint64 m_generation = 0;
    RowSearch::Matcher m_highlight;
    mutable QString m_highlightBuffer; // reused for each row drawn
    int m_fileLines = 0;
};
