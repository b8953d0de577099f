// The language server's document read again form by form after each change:
// its rows and problems must always be those of its whole text read afresh.
#include "catalogues/vocabulary.h"
#include "coresupport.h"
#include "files/saveopen.h"
#include "lsp/lspdocument.h"
#include "lsp/lspmessages.h"
#include "shell/pluginfolder.h"

#include <QDir>
#include <QJsonObject>
#include <gtest/gtest.h>
#include <random>

namespace {

QStringList rowsOf(const std::vector<ScriptLine> &rows)
{
    QStringList out;
    for (const ScriptLine &r : rows)
        out << QStringLiteral("%1 %2 %3").arg(r.line).arg(kindTag(r.kind), r.text);
    return out;
}

QStringList listed(const std::vector<Problems::Problem> &problems)
{
    QStringList out;
    for (const Problems::Problem &p : problems)
        out << QStringLiteral("%1:%2 %3").arg(p.row).arg(p.line).arg(p.message);
    return out;
}

QJsonObject change(const LspDocument &d, qsizetype from, qsizetype to, const QString &text)
{
    const auto at = [&](qsizetype o) {
        const auto [line, column] = d.position(o);
        return QJsonObject{{"line", line}, {"character", column}};
    };
    return {{"range", QJsonObject{{"start", at(from)}, {"end", at(to)}}}, {"text", text}};
}

} // namespace

TEST(LspDocument, RowsAndProblemsAfterEachChangeAreThoseOfTheWholeTextReadAgain)
{
    PluginFolder::setPath(VARDELO_DATA_DIR);
    const Vocabulary vocabulary = Vocabulary::loadCatalogues();
    // what typing brings: brackets, quotes, comments, line ends of each kind
    const QStringList pieces = {"(", ")", "\"", ";", "\n", "\r", "\r\n", "x", " ", "(defrule\n", "=>", "#else\n",
                                "(defconst c 3)\n", "#load-if-defined A\n", "#end-if\n", "é", "\t", "(load \"a\")", "\n\uFEFF"};
    std::mt19937 random(27);
    QStringList texts;
    for (const QString &script : QDir(VARDELO_TEST_DATA).entryList({"*.per"}, QDir::Files, QDir::Name))
        texts << SaveOpen::readScriptBytes(TestSupport::contents(QDir(VARDELO_TEST_DATA).filePath(script))).source.text;
    ASSERT_GE(texts.size(), 6);
    // and all of them a few times over: longer than what a change reads again at first
    texts << texts.join("\n").repeated(4);
    for (const QString &script : texts) {
        LspDocument d("untitled:x", script, 1);
        for (int step = 0; step < 150; ++step) {
            const qsizetype size = d.text().size();
            const qsizetype from = qsizetype(random() % quint32(size + 1));
            const qsizetype to = std::min(size, from + qsizetype(random() % 3 == 0 ? random() % 40 : 0));
            const QString text = random() % 4 == 0 ? QString() : pieces[qsizetype(random() % quint32(pieces.size()))];
            QString error;
            ASSERT_TRUE(d.apply(change(d, from, to, text), step + 2, error)) << error.toStdString();
            const std::vector<ScriptLine> fresh = SaveOpen::readScriptText(d.text());
            ASSERT_EQ(rowsOf(d.rows()), rowsOf(fresh)) << "step " << step;
            if (step % 10 == 0 || step > 140) {
                const auto expected = Problems::analyse(fresh, Blocks::analyse(fresh), {&vocabulary, {}, nullptr});
                ASSERT_EQ(listed(d.problems(&vocabulary)), listed(expected)) << "step " << step;
            }
        }
    }
}

TEST(LspDocument, PositionsAreUtf16UnitsOnLinesEndedByCrLfLfOrCr)
{
    LspDocument d("untitled:y", QString::fromUtf8("é\t\xF0\x9D\x84\x9E x\r\nb\rc\nd"), 1);
    ASSERT_EQ(d.lineCount(), 4);
    EXPECT_EQ(d.line(0).size(), 6); // é, tab, two units, space, x
    EXPECT_EQ(d.offset(0, 5), 5);
    EXPECT_EQ(d.offset(0, 99), 6); // past its end: the end of its line
    EXPECT_EQ(d.offset(2, 0), 10);
    EXPECT_EQ(d.offset(4, 0), -1);
    EXPECT_EQ(d.position(11), std::make_pair(2, 1));
    // a change outside the text is refused and changes nothing
    QString error;
    EXPECT_FALSE(d.apply(change(d, 0, 0, "z").value("text").toObject(), 2, error)); // no text
    QJsonObject outside{{"range", QJsonObject{{"start", QJsonObject{{"line", 7}, {"character", 0}}},
                                              {"end", QJsonObject{{"line", 7}, {"character", 1}}}}},
                        {"text", "z"}};
    EXPECT_FALSE(d.apply(outside, 2, error));
    EXPECT_EQ(d.version(), 1);
    EXPECT_EQ(d.lineCount(), 4);
}

TEST(LspMessages, BodiesAreCutFromAnyPiecesAndBadHeadersAreSkipped)
{
    const QByteArray stream = "Content-Length: 2\r\n\r\n{}"
                              "Content-Type: x\r\ncontent-length:3\r\n\r\n[1]"
                              "Nonsense\r\n\r\n"
                              "Content-Length: 99999999999\r\n\r\n"
                              "Content-Length: 4\r\n\r\nnull";
    for (int piece : {1, 3, 7, int(stream.size())}) {
        LspMessages::Reader reader;
        QStringList got;
        for (qsizetype i = 0; i < stream.size(); i += piece) {
            reader.feed(QByteArrayView(stream).sliced(i, std::min<qsizetype>(piece, stream.size() - i)));
            QByteArray body;
            QString error;
            for (auto r = reader.next(body, error); r != LspMessages::Reader::Result::NeedMore; r = reader.next(body, error))
                got << (r == LspMessages::Reader::Result::Message ? QString::fromUtf8(body) : QStringLiteral("!"));
        }
        EXPECT_EQ(got, QStringList({"{}", "[1]", "!", "!", "null"})) << piece;
    }
    // a header that never ends is dropped, not kept growing
    LspMessages::Reader reader;
    reader.feed(QByteArray(LspMessages::MaxHeader + 10, 'a'));
    QByteArray body;
    QString error;
    EXPECT_EQ(reader.next(body, error), LspMessages::Reader::Result::BadHeader);
    EXPECT_LT(reader.pending(), 10);
}
