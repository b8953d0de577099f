// The language server on the generated script of 120,000 lines, in the
// process (what the server does between reading a message and writing its
// answers, the JSON made and framed included): the diagnostics published
// again after a one-character change, and completions.
#include "generatedscript.h"
#include "lsp/lspmessages.h"
#include "lsp/lspserver.h"
#include "shell/fileservices.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QUrl>
#include <benchmark/benchmark.h>

namespace {

struct Session {
    QTemporaryDir dir;
    QString uri;
    qsizetype sent = 0;
    LspServer server{QStringLiteral(VARDELO_DATA_DIR), [this](const QByteArray &b) {
                         sent += b.size();
                         return true;
                     }};
    int id = 0;

    void send(const QString &method, const QJsonObject &params, bool request = false)
    {
        QJsonObject m{{"jsonrpc", "2.0"}, {"method", method}, {"params", params}};
        if (request)
            m.insert("id", ++id);
        server.receive(QJsonDocument(m).toJson(QJsonDocument::Compact));
    }
    Session()
    {
        const QString path = dir.filePath(QStringLiteral("genere.per"));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(FileServices::encode1252(GeneratedScript::script()));
        f.close();
        uri = QUrl::fromLocalFile(path).toString();
        send("initialize", {{"initializationOptions", QJsonObject{{"catalogues", VARDELO_DATA_DIR}}}}, true);
        send("initialized", {});
        send("textDocument/didOpen", {{"textDocument", QJsonObject{{"uri", uri}, {"version", 1}, {"text", GeneratedScript::script()}}}});
        server.idle();
    }
    // Types a character at line, column (or takes it back).
    void change(int line, int column, bool type, int version)
    {
        const QJsonObject start{{"line", line}, {"character", column}};
        const QJsonObject end{{"line", line}, {"character", type ? column : column + 1}};
        send("textDocument/didChange",
             {{"textDocument", QJsonObject{{"uri", uri}, {"version", version}}},
              {"contentChanges", QJsonArray{QJsonObject{{"range", QJsonObject{{"start", start}, {"end", end}}}, {"text", type ? "x" : ""}}}}});
    }
    void ask(const QString &method)
    {
        send(method, {{"textDocument", QJsonObject{{"uri", uri}}}}, true);
    }
    void complete(int line, int column)
    {
        send("textDocument/completion", {{"textDocument", QJsonObject{{"uri", uri}}},
                                         {"position", QJsonObject{{"line", line}, {"character", column}}}}, true);
    }
};

Session &session()
{
    static Session s;
    return s;
}

// The line of the generated script at about the middle holding text.
int lineHolding(const QString &text)
{
    const QStringList lines = GeneratedScript::script().split(QStringLiteral("\r\n"));
    for (int i = int(lines.size()) / 2; i < lines.size(); ++i)
        if (lines[i].startsWith(text))
            return i;
    return 0;
}

} // namespace

// A letter typed in a fact's name in the middle of the script, or taken back,
// and the buffer's diagnostics published again.
static void RepublishAfterOneCharacter(benchmark::State &state)
{
    Session &s = session();
    const int line = lineHolding(QStringLiteral("\t\t(stock bois"));
    int version = 1;
    const qsizetype before = s.sent;
    for (auto _ : state) {
        ++version;
        s.change(line, 5, version % 2 == 0, version);
        s.server.idle();
    }
    state.counters["bytes"] = double(s.sent - before) / double(state.iterations());
    if (version % 2 == 0) { // the letter taken back: the script as generated for the others
        s.change(line, 5, false, ++version);
        s.server.idle();
    }
}
BENCHMARK(RepublishAfterOneCharacter)->Unit(benchmark::kMillisecond);

// The completions at a column of a fact's line in the middle of the script.
static void completeAt(benchmark::State &state, int column)
{
    Session &s = session();
    const int line = lineHolding(QStringLiteral("\t\t(stock bois"));
    const qsizetype before = s.sent;
    for (auto _ : state)
        s.complete(line, column);
    state.counters["bytes"] = double(s.sent - before) / double(state.iterations());
}

// The fact names after "(" in a rule.
static void CompleteFactName(benchmark::State &state)
{
    completeAt(state, 3);
}
BENCHMARK(CompleteFactName)->Unit(benchmark::kMillisecond);

// A parameter's values and the AI's constants that fit it.
static void CompleteParameterValue(benchmark::State &state)
{
    completeAt(state, 17);
}
BENCHMARK(CompleteParameterValue)->Unit(benchmark::kMillisecond);

// A completion asked right after a change, before its diagnostics.
static void CompleteRightAfterChange(benchmark::State &state)
{
    Session &s = session();
    const int line = lineHolding(QStringLiteral("\t\t(stock bois"));
    int version = 1000;
    for (auto _ : state) {
        ++version;
        s.change(line - 5, 2, version % 2 == 1, version);
        s.complete(line, 17);
    }
    s.server.idle();
}
BENCHMARK(CompleteRightAfterChange)->Unit(benchmark::kMillisecond);

// The outline of the whole script, and its formatting as edits.
static void Outline(benchmark::State &state)
{
    Session &s = session();
    for (auto _ : state)
        s.ask("textDocument/documentSymbol");
}
BENCHMARK(Outline)->Unit(benchmark::kMillisecond);

static void Formatting(benchmark::State &state)
{
    Session &s = session();
    for (auto _ : state)
        s.ask("textDocument/formatting");
}
BENCHMARK(Formatting)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
