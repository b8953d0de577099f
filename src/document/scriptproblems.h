#pragma once

#include "problems.h"

#include <QObject>
#include <functional>
#include <memory>
#include <utility>

class Ai;
class QThread;
class ScriptDocument;
class Vocabulary;

// The problems of a document's rows, kept current as the rows change: a
// change of rows that defines no constant checks those rows only; a change
// of the constants, a reading, or a new vocabulary checks them all. The
// work waits for the event loop, so a run of changes is checked once.
// The rows are judged as part of their AI: the scripts that load the
// document's file and those it loads are found and read on a thread of
// their own, and the rows checked again when they are there.
class ScriptProblems : public QObject
{
    Q_OBJECT
public:
    explicit ScriptProblems(ScriptDocument &document);
    ~ScriptProblems() override;

    // The vocabulary to check against (none: its checks are off).
    void setVocabulary(const Vocabulary *vocabulary);
    // The same, made only when a script with rows is first checked: the
    // catalogues' vocabulary takes a moment to arrange when they are large.
    void setVocabulary(std::function<const Vocabulary *()> source);

    // Every problem, blocks included, in row order, with their lines now;
    // none while the rest of the AI of a script just read is being read.
    const std::vector<Problems::Problem> &problems();
    Problems::Counts counts();
    // The problems of row pos: the first and how many, in problems().
    std::pair<size_t, size_t> at(int pos);

    // Reads the AI of the document's file again (the other files may have
    // changed), on a thread of its own.
    void findAi();
    // The AI as last read; none before it is read, or for a script in no file.
    std::shared_ptr<const Ai> ai() const;
    // Whether the AI is being read.
    bool findingAi() const { return m_finding != nullptr; }

signals:
    // problems() changed.
    void changed();
    // ai() was read again.
    void aiFound();

private:
    void later();
    // Whether the document's file was read and the rest of its AI not yet.
    bool waitingForAi() const;
    void update();
    void shift(int from, int by);
    // What the rows are checked against now.
    Problems::Context context() const;
    // The folder of the document's file, "" for none.
    QString folder() const;
    QString m_folder; // the one the rows were checked for
    std::shared_ptr<const Ai> m_ai;
    QString m_aiFile; // the file m_ai was read for
    std::shared_ptr<const Problems::Surroundings> m_around; // of the file in m_ai
    QString m_aiFolder;
    QThread *m_finding = nullptr;
    bool m_findAgain = false;
    ScriptDocument &m_document;
    std::function<const Vocabulary *()> m_vocabulary;
    std::unique_ptr<Problems::Checker> m_checker;
    // The problems of the rows (not of their blocks nor of the constants'
    // definitions), in row order.
    std::vector<Problems::Problem> m_own;
    std::vector<Problems::Problem> m_merged;
    // Rows to check again, 1-based, in no order; all of them when m_all.
    std::vector<int> m_dirty;
    bool m_all = true;
    bool m_due = false;
    bool m_scheduled = false;
    bool m_mergedValid = false;
};
