#include "scriptproblems.h"

#include "ai.h"
#include "scriptdocument.h"
#include "shell/background.h"

#include <QFileInfo>
#include <QThread>
#include <QTimer>
#include <algorithm>

ScriptProblems::ScriptProblems(ScriptDocument &document) : QObject(&document), m_document(document)
{
    ScriptModel &rows = document.rows();
    connect(&rows, &QAbstractItemModel::modelReset, this, [this] {
        m_all = true;
        later();
    });
    connect(&rows, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex &, int first, int last) {
        shift(first + 1, last - first + 1);
        for (int pos = first + 1; pos <= last + 1; ++pos)
            m_dirty.push_back(pos);
        later();
    });
    connect(&rows, &QAbstractItemModel::rowsAboutToBeRemoved, this, [this](const QModelIndex &, int first, int last) {
        const std::vector<ScriptLine> &lines = m_document.rows().lines();
        for (int i = first; i <= last; ++i)
            m_all = m_all || lines[size_t(i)].kind == LineKind::Const;
    });
    connect(&rows, &QAbstractItemModel::rowsRemoved, this, [this](const QModelIndex &, int first, int last) {
        const int from = first + 1, count = last - first + 1;
        std::erase_if(m_own, [from, count](const Problems::Problem &p) { return p.row >= from && p.row < from + count; });
        std::erase_if(m_dirty, [from, count](int pos) { return pos >= from && pos < from + count; });
        shift(from + count, -count);
        later();
    });
    connect(&rows, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &top, const QModelIndex &bottom, const QList<int> &roles) {
                if (!roles.isEmpty() && !roles.contains(Qt::DisplayRole) && !roles.contains(ScriptModel::KindRole))
                    return;
                for (int pos = top.row() + 1; pos <= bottom.row() + 1; ++pos)
                    m_dirty.push_back(pos);
                later();
            });
    // The problems' lines, after a save.
    connect(&rows, &ScriptModel::linesSaved, this, [this] {
        // the constants' problems name the lines of their first definitions
        if (m_checker && !m_due)
            m_checker = std::make_unique<Problems::Checker>(m_document.rows().lines(), context());
        m_mergedValid = false;
        emit changed();
    });
    // Read or written: the AI may have changed with it.
    connect(&document, &ScriptDocument::fileChanged, this, &ScriptProblems::findAi);
}

ScriptProblems::~ScriptProblems()
{
    if (m_finding) {
        m_finding->disconnect(this);
        m_finding->wait();
        delete m_finding;
    }
}

void ScriptProblems::findAi()
{
    const QString file = m_document.currentFile();
    // a document nobody checks (the command line's) reads no other file
    if (!m_vocabulary)
        return;
    if (m_finding) {
        m_findAgain = true;
        return;
    }
    if (file.isEmpty()) {
        if (m_ai || !m_aiFile.isEmpty()) {
            m_ai.reset();
            m_aiFile.clear();
            m_all = true;
            later();
        }
        return;
    }
    auto found = std::make_shared<std::shared_ptr<const Ai>>();
    m_finding = QThread::create([file, found] {
        giveWayToTheWindow();
        *found = Ai::of({file});
    });
    connect(m_finding, &QThread::finished, this, [this, file, found] {
        m_finding->wait(); // finished comes just before the thread ends
        delete m_finding;
        m_finding = nullptr;
        if (file == m_document.currentFile()) {
            const bool sameFile = m_aiFile == file;
            m_ai = *found;
            m_aiFile = file;
            // what the other files tell, made once for every check until the next reading
            const int index = m_ai->indexOf(file);
            const Problems::Context around = index >= 0 ? m_ai->context(index, nullptr) : Problems::Context();
            // the same constants elsewhere: nothing to check again
            const bool same = sameFile && m_around && around.ai && *m_around == *around.ai && m_aiFolder == around.folder;
            m_around = around.ai;
            m_aiFolder = around.folder;
            if (!same)
                m_all = true;
            if (!same || m_due)
                later();
            emit aiFound();
        }
        if (m_findAgain) {
            m_findAgain = false;
            findAi();
        }
    });
    m_finding->start();
}

std::shared_ptr<const Ai> ScriptProblems::ai() const
{
    return m_aiFile == m_document.currentFile() ? m_ai : nullptr;
}

void ScriptProblems::setVocabulary(const Vocabulary *vocabulary)
{
    setVocabulary([vocabulary] { return vocabulary; });
}

void ScriptProblems::setVocabulary(std::function<const Vocabulary *()> source)
{
    const bool first = !m_vocabulary;
    m_vocabulary = std::move(source);
    if (first)
        findAi();
    m_all = true;
    later();
}

Problems::Context ScriptProblems::context() const
{
    const bool rows = !m_document.rows().lines().empty();
    const Vocabulary *vocabulary = rows && m_vocabulary ? m_vocabulary() : nullptr;
    if (m_document.currentFile().isEmpty())
        return {vocabulary, QString(), nullptr};
    if (ai() && m_around)
        return {vocabulary, m_aiFolder, m_around};
    // until the AI is read: the loads beside the file, and no name reported
    // undefined that another file may define
    auto waiting = std::make_shared<Problems::Surroundings>();
    waiting->complete = !m_finding;
    return {vocabulary, m_folder, std::move(waiting)};
}

QString ScriptProblems::folder() const
{
    const QString &file = m_document.currentFile();
    return file.isEmpty() ? QString() : QFileInfo(file).absolutePath();
}

void ScriptProblems::shift(int from, int by)
{
    for (Problems::Problem &p : m_own)
        if (p.row >= from)
            p.row += by;
    for (int &pos : m_dirty)
        if (pos >= from)
            pos += by;
}

bool ScriptProblems::waitingForAi() const
{
    return m_finding && !ai();
}

void ScriptProblems::later()
{
    m_mergedValid = false;
    m_due = true;
    // A script just read is checked once the rest of its AI is: the list
    // shows first, without problems meanwhile. Otherwise, asked for before
    // the loop turns, the problems are made at once, and still announced.
    if (m_scheduled || waitingForAi())
        return;
    m_scheduled = true;
    QTimer::singleShot(0, this, [this] {
        m_scheduled = false;
        if (waitingForAi())
            return;
        if (m_due)
            update();
        emit changed();
    });
}

void ScriptProblems::update()
{
    m_due = false;
    const std::vector<ScriptLine> &lines = m_document.rows().lines();
    m_folder = folder();
    auto checker = std::make_unique<Problems::Checker>(lines, context());
    // Changed constants change the meaning of any value: everything again.
    if (m_all || !m_checker || !checker->sameConstants(*m_checker)) {
        m_own.clear();
        for (int pos = 1; pos <= int(lines.size()); ++pos)
            checker->check(pos, m_own);
        std::stable_sort(m_own.begin(), m_own.end(),
                         [](const Problems::Problem &a, const Problems::Problem &b) { return a.row < b.row; });
    } else if (!m_dirty.empty()) {
        std::vector<Problems::Problem> found = checker->checkRows(m_dirty, int(lines.size()));
        const auto dirty = [this](const Problems::Problem &p) {
            return std::binary_search(m_dirty.begin(), m_dirty.end(), p.row);
        };
        std::vector<Problems::Problem> kept;
        kept.reserve(m_own.size() + found.size());
        for (Problems::Problem &p : m_own)
            if (!dirty(p))
                kept.push_back(std::move(p));
        const size_t middle = kept.size();
        kept.insert(kept.end(), std::make_move_iterator(found.begin()), std::make_move_iterator(found.end()));
        std::inplace_merge(kept.begin(), kept.begin() + qsizetype(middle), kept.end(),
                           [](const Problems::Problem &a, const Problems::Problem &b) { return a.row < b.row; });
        m_own = std::move(kept);
    }
    m_checker = std::move(checker);
    m_all = false;
    m_dirty.clear();
    m_mergedValid = false;
}

const std::vector<Problems::Problem> &ScriptProblems::problems()
{
    // A script just read shows first: its problems come with its AI.
    static const std::vector<Problems::Problem> none;
    if ((m_due || !m_checker) && waitingForAi())
        return none;
    if (m_due || !m_checker)
        update();
    if (!m_mergedValid) {
        const std::vector<ScriptLine> &lines = m_document.rows().lines();
        // the constants' problems, made anew with the checker, among the others
        std::vector<Problems::Problem> own = m_checker->constantProblems();
        own.insert(own.end(), m_own.begin(), m_own.end());
        std::stable_sort(own.begin(), own.end(),
                         [](const Problems::Problem &a, const Problems::Problem &b) { return a.row < b.row; });
        for (Problems::Problem &p : own)
            p.line = lines[size_t(p.row - 1)].line;
        m_merged = Problems::merge(std::move(own), m_document.rows().structure(), lines);
        m_mergedValid = true;
    }
    return m_merged;
}

Problems::Counts ScriptProblems::counts()
{
    return Problems::count(problems());
}

std::pair<size_t, size_t> ScriptProblems::at(int pos)
{
    const std::vector<Problems::Problem> &all = problems();
    const auto first = std::lower_bound(all.begin(), all.end(), pos,
                                        [](const Problems::Problem &p, int row) { return p.row < row; });
    auto last = first;
    while (last != all.end() && last->row == pos)
        ++last;
    return {size_t(first - all.begin()), size_t(last - first)};
}
