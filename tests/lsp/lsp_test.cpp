// `vardelo lsp` as an editor drives it: a client over a pipe, through the
// life cycle, each feature on a multi-file AI written on disk, and the
// messages a broken client sends.
#include "coresupport.h"
#include "lsp/lspmessages.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUrl>
#include <functional>
#include <gtest/gtest.h>

namespace {

class Client
{
public:
    explicit Client(const QStringList &args = {QStringLiteral("lsp")})
    {
        m_process.start(VARDELO_CLI, args);
        EXPECT_TRUE(m_process.waitForStarted());
    }
    ~Client()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }

    void raw(const QByteArray &bytes) { m_process.write(bytes); }
    void send(const QJsonObject &message) { raw(LspMessages::frame(message)); }
    int request(const QString &method, const QJsonObject &params = {})
    {
        send({{"jsonrpc", "2.0"}, {"id", ++m_id}, {"method", method}, {"params", params}});
        return m_id;
    }
    void notify(const QString &method, const QJsonObject &params = {})
    {
        send({{"jsonrpc", "2.0"}, {"method", method}, {"params", params}});
    }

    // The next message from the server; an empty object after 20 s without one.
    QJsonObject next()
    {
        QByteArray body;
        QString error;
        for (int waited = 0; waited < 200; ++waited) {
            if (m_reader.next(body, error) == LspMessages::Reader::Result::Message)
                return QJsonDocument::fromJson(body).object();
            if (!m_process.waitForReadyRead(100) && m_process.state() == QProcess::NotRunning && m_process.bytesAvailable() == 0)
                return {};
            m_reader.feed(m_process.readAllStandardOutput());
        }
        return {};
    }
    // The answer to request id; the notifications on the way are kept.
    QJsonObject answer(int id)
    {
        for (QJsonObject m = next(); !m.isEmpty(); m = next()) {
            if (!m.contains("method") && m.value("id") == QJsonValue(id))
                return m;
            m_notifications.append(m);
        }
        return {};
    }
    QJsonValue result(const QString &method, const QJsonObject &params = {})
    {
        return answer(request(method, params)).value("result");
    }
    // The params of the next notification that method sends (about uri).
    QJsonObject notified(const QString &method, const QString &uri = {})
    {
        const auto wanted = [&](const QJsonObject &m) {
            return m.value("method") == method && (uri.isEmpty() || m.value("params").toObject().value("uri") == uri);
        };
        for (qsizetype i = 0; i < m_notifications.size(); ++i)
            if (wanted(m_notifications[i]))
                return m_notifications.takeAt(i).value("params").toObject();
        for (QJsonObject m = next(); !m.isEmpty(); m = next()) {
            if (wanted(m))
                return m.value("params").toObject();
            m_notifications.append(m);
        }
        return {};
    }
    QJsonObject diagnostics(const QString &uri) { return notified("textDocument/publishDiagnostics", uri); }
    QJsonObject initialize(const QJsonObject &options = {{"catalogues", VARDELO_DATA_DIR}})
    {
        const QJsonObject answer = this->answer(request(
            "initialize", {{"processId", QJsonValue::Null}, {"initializationOptions", options}, {"capabilities", QJsonObject()}}));
        notify("initialized");
        return answer;
    }
    void open(const QString &uri, const QString &text)
    {
        notify("textDocument/didOpen", {{"textDocument", QJsonObject{{"uri", uri}, {"languageId", "per"}, {"version", 1}, {"text", text}}}});
    }
    // Whether the server ended by itself, with status.
    bool ended(int *status)
    {
        if (!m_process.waitForFinished(20000))
            return false;
        *status = m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
        return true;
    }
    QProcess &process() { return m_process; }

private:
    QProcess m_process;
    LspMessages::Reader m_reader;
    QList<QJsonObject> m_notifications;
    int m_id = 0;
};

QJsonObject at(const QString &uri, int line, int character)
{
    return {{"textDocument", QJsonObject{{"uri", uri}}}, {"position", QJsonObject{{"line", line}, {"character", character}}}};
}

QJsonObject span(int line, int from, int lastLine, int to)
{
    return {{"start", QJsonObject{{"line", line}, {"character", from}}}, {"end", QJsonObject{{"line", lastLine}, {"character", to}}}};
}

QStringList labels(const QJsonValue &items)
{
    QStringList out;
    for (const QJsonValue &i : items.toArray())
        out << i.toObject().value("label").toString();
    return out;
}

// A message's problems as "line:from-to severity message".
QStringList problems(const QJsonObject &published)
{
    QStringList out;
    for (const QJsonValue &v : published.value("diagnostics").toArray()) {
        const QJsonObject d = v.toObject(), r = d.value("range").toObject();
        const QJsonObject s = r.value("start").toObject(), e = r.value("end").toObject();
        EXPECT_EQ(d.value("source").toString(), "vardelo");
        out << QStringLiteral("%1:%2-%3 %4 %5")
                   .arg(s.value("line").toInt())
                   .arg(s.value("character").toInt())
                   .arg(e.value("character").toInt())
                   .arg(d.value("severity").toInt())
                   .arg(d.value("message").toString());
    }
    return out;
}

// The text edits applied to text, positions in UTF-16 code units.
QString applied(QString text, const QJsonArray &edits)
{
    const auto offset = [&](const QJsonObject &p) {
        qsizetype at = 0;
        for (int line = p.value("line").toInt(); line > 0; --line)
            at = text.indexOf('\n', at) + 1;
        return at + p.value("character").toInt();
    };
    for (qsizetype i = edits.size(); i-- > 0;) { // in order and apart: applied from the last
        const QJsonObject e = edits[i].toObject(), r = e.value("range").toObject();
        const qsizetype from = offset(r.value("start").toObject()), to = offset(r.value("end").toObject());
        text.replace(from, to - from, e.value("newText").toString());
    }
    return text;
}

void write(const QString &path, const QByteArray &bytes) { TestSupport::writeFile(path, bytes); }

} // namespace

TEST(LanguageServer, LifeCycleAsTheProtocolSays)
{
    Client c;
    const QJsonObject early = c.answer(c.request("textDocument/hover", at("file:///x.per", 0, 0)));
    EXPECT_EQ(early.value("error").toObject().value("code").toInt(), -32002);
    const QJsonObject init = c.initialize();
    const QJsonObject capabilities = init.value("result").toObject().value("capabilities").toObject();
    EXPECT_EQ(capabilities.value("positionEncoding").toString(), "utf-16");
    EXPECT_EQ(capabilities.value("textDocumentSync").toObject().value("change").toInt(), 2);
    for (const char *provider : {"hoverProvider", "definitionProvider", "documentSymbolProvider", "documentFormattingProvider"})
        EXPECT_TRUE(capabilities.value(provider).toBool()) << provider;
    EXPECT_EQ(init.value("result").toObject().value("serverInfo").toObject().value("name").toString(), "vardelo");
    EXPECT_EQ(c.answer(c.request("initialize")).value("error").toObject().value("code").toInt(), -32600);
    EXPECT_TRUE(c.answer(c.request("shutdown")).value("result").isNull());
    EXPECT_EQ(c.answer(c.request("textDocument/documentSymbol", {{"textDocument", QJsonObject{{"uri", "file:///x.per"}}}}))
                  .value("error").toObject().value("code").toInt(), -32600);
    c.notify("exit");
    int status = -1;
    ASSERT_TRUE(c.ended(&status));
    EXPECT_EQ(status, 0);

    // exit without shutdown, and a client that goes without a word
    Client abrupt;
    abrupt.initialize();
    abrupt.notify("exit");
    ASSERT_TRUE(abrupt.ended(&status));
    EXPECT_EQ(status, 1);
    Client gone({"lsp", "--catalogues", "/dossier-absent"});
    // catalogues that cannot be read: said, and the rest of the checks still made
    gone.initialize({});
    const QJsonObject said = gone.notified("window/showMessage");
    EXPECT_EQ(said.value("type").toInt(), 1);
    EXPECT_TRUE(said.value("message").toString().startsWith("Impossible de lire les catalogues: le dossier « /dossier-absent »"))
        << said.value("message").toString().toStdString();
    gone.open("untitled:g", "(defrule (fait-inconnu)\n");
    EXPECT_EQ(problems(gone.diagnostics("untitled:g")), QStringList({"0:0-23 2 Règle non fermée (il manque « Fin de règle »)"}));
    gone.raw("Content-Length: 100\r\n\r\n{\"jsonrpc\"");
    gone.process().closeWriteChannel();
    ASSERT_TRUE(gone.ended(&status));
    EXPECT_EQ(status, 1);
}

TEST(LanguageServer, DiagnosticsFollowTheTextWithUtf16ColumnsAndIncrementalChanges)
{
    Client c;
    c.initialize();
    const QString uri = "untitled:essai";
    // a tab, accented letters and a character outside the basic plane (two
    // UTF-16 code units) before the faulty names
    const QString text = QString::fromUtf8("; réglages\n"
                                           "(defrule\n"
                                           "\t(stock blé < 200)\n"
                                           "=>\n"
                                           "\t(dire \"\xF0\x9D\x84\x9E é\") (envoyer-sers ble 3))\n");
    c.open(uri, text);
    QJsonObject published = c.diagnostics(uri);
    EXPECT_EQ(published.value("version").toInt(), 1);
    QStringList found = problems(published);
    ASSERT_EQ(found.size(), 2) << found.join('\n').toStdString();
    // "blé" is not a value of <ressource>; the action is unknown (after "𝄞 é")
    EXPECT_TRUE(found.filter(QRegularExpression("^2:8-11 1 .*« blé »")).size() == 1) << found.join('\n').toStdString();
    EXPECT_TRUE(found.filter(QRegularExpression("^4:16-28 1 action inconnue « envoyer-sers »")).size() == 1)
        << found.join('\n').toStdString();

    // one character typed: "sers" becomes "serfs"
    c.notify("textDocument/didChange", {{"textDocument", QJsonObject{{"uri", uri}, {"version", 2}}},
                                        {"contentChanges", QJsonArray{QJsonObject{{"range", span(4, 27, 4, 27)}, {"text", "f"}}}}});
    published = c.diagnostics(uri);
    EXPECT_EQ(published.value("version").toInt(), 2);
    found = problems(published);
    EXPECT_EQ(found.filter("envoyer").size(), 0) << found.join('\n').toStdString();
    EXPECT_EQ(found.filter("« blé »").size(), 1);
    // the whole text replaced, then a range past the text refused (nothing changed)
    c.notify("textDocument/didChange", {{"textDocument", QJsonObject{{"uri", uri}, {"version", 3}}},
                                        {"contentChanges", QJsonArray{QJsonObject{{"text", "(defrule (serfs-oisifs) => (former archer))\n"}}}}});
    EXPECT_EQ(problems(c.diagnostics(uri)), QStringList());
    c.notify("textDocument/didChange", {{"textDocument", QJsonObject{{"uri", uri}, {"version", 4}}},
                                        {"contentChanges", QJsonArray{QJsonObject{{"range", span(9, 0, 9, 1)}, {"text", "x"}}}}});
    EXPECT_EQ(c.result("textDocument/formatting", {{"textDocument", QJsonObject{{"uri", uri}}}}).toArray().size(), 1);
    c.notify("textDocument/didClose", {{"textDocument", QJsonObject{{"uri", uri}}}});
    EXPECT_EQ(c.diagnostics(uri).value("diagnostics").toArray().size(), 0);
}

TEST(LanguageServer, APartOfAnAiOnDiskIsJudgedCompletedExplainedAndOutlinedWithItsEntry)
{
    QTemporaryDir dir;
    QDir ai(dir.path());
    ai.mkdir("parties");
    write(ai.filePath("entree.per"), "; IA de test\r\n(defconst seuil 300)\r\n(defconst ressource-favorite bois)\r\n"
                                     "(load \"parties\\\\economie\")\r\n(load \"voisin\")\r\n");
    write(ai.filePath("voisin.per"), "(defconst voisine 2)\r\n");
    // on disk the part is another text: the client's is the truth
    write(ai.filePath("parties/economie.per"), "(defrule (serfs-oisifs) => (former archer))\r\n");
    const QString uri = QUrl::fromLocalFile(ai.filePath("parties/economie.per")).toString();
    const QString text = QString::fromUtf8("; Règle des réserves\n"
                                           "(defrule\n"
                                           "\t(stock ble < seuil)   ; é\n"
                                           "\t(stock ressource-favorite < inconnue)\n"
                                           "=>\n"
                                           "\t(envoyer-serfs ble 3))\n"
                                           "(load \"voisin\")\n"
                                           "#load-if-defined CARTE-ILES\n"
                                           "(defconst locale 5)\n"
                                           "#end-if\n"
                                           "(defrule (serfs-oisifs) => (former archer))\n");
    Client c;
    c.initialize();
    c.open(uri, text);
    // the entry's constants are known; only what no file defines is reported
    const QStringList found = problems(c.diagnostics(uri));
    ASSERT_EQ(found.size(), 1) << found.join('\n').toStdString();
    EXPECT_TRUE(found[0].startsWith("3:29-37 1 « inconnue » n'est ni une valeur de « quantite » ni une constante définie"))
        << found[0].toStdString();

    // completion: facts where a fact stands, actions after "=>", values and
    // the constants that fit a parameter, symbols after a directive
    const QJsonValue facts = c.result("textDocument/completion", at(uri, 2, 2));
    EXPECT_TRUE(labels(facts).contains("stock") && labels(facts).contains("nor") && !labels(facts).contains("former"));
    for (const QJsonValue &i : facts.toArray())
        if (i.toObject().value("label") == QLatin1String("stock")) {
            EXPECT_EQ(i.toObject().value("detail").toString(), "stock <ressource> <comparateur> <quantite>");
            EXPECT_TRUE(i.toObject().value("documentation").toObject().value("value").toString().contains("réserve"));
        }
    const QStringList actions = labels(c.result("textDocument/completion", at(uri, 5, 2)));
    EXPECT_TRUE(actions.contains("envoyer-serfs") && !actions.contains("stock"));
    const QStringList resources = labels(c.result("textDocument/completion", at(uri, 2, 8)));
    EXPECT_TRUE(resources.contains("ble") && resources.contains("bois") && resources.contains("ressource-favorite"));
    EXPECT_FALSE(resources.contains("seuil"));
    const QStringList quantities = labels(c.result("textDocument/completion", at(uri, 2, 14)));
    EXPECT_TRUE(quantities.contains("150") && quantities.contains("seuil") && quantities.contains("locale")
                && quantities.contains("voisine"));
    EXPECT_FALSE(quantities.contains("ressource-favorite"));
    EXPECT_TRUE(labels(c.result("textDocument/completion", at(uri, 7, 17))).contains("CARTE-ILES"));
    EXPECT_EQ(labels(c.result("textDocument/completion", at(uri, 0, 5))), QStringList()); // in a comment

    // hover: a fact's header and help, a constant's value and where, a load's file
    const auto hover = [&](int line, int character) {
        return c.result("textDocument/hover", at(uri, line, character)).toObject().value("contents").toObject().value("value").toString();
    };
    EXPECT_TRUE(hover(2, 3).startsWith("stock <ressource> <comparateur> <quantite>\n\nVrai quand la réserve")) << hover(2, 3).toStdString();
    EXPECT_TRUE(hover(2, 15).contains("seuil = 300") && hover(2, 15).contains("ligne 2") && hover(2, 15).contains("entree.per"))
        << hover(2, 15).toStdString();
    EXPECT_TRUE(hover(6, 8).contains(QDir::toNativeSeparators(ai.filePath("voisin.per")))) << hover(6, 8).toStdString();
    EXPECT_TRUE(c.result("textDocument/hover", at(uri, 4, 0)).isNull());

    // definitions: in another file of the AI, in the text itself, a load's file
    const QJsonObject seuil = c.result("textDocument/definition", at(uri, 2, 16)).toObject();
    EXPECT_EQ(seuil.value("uri").toString(), QUrl::fromLocalFile(ai.filePath("entree.per")).toString());
    EXPECT_EQ(seuil.value("range").toObject().value("start").toObject().value("line").toInt(), 1);
    const QJsonObject locale = c.result("textDocument/definition", at(uri, 8, 12)).toObject();
    EXPECT_EQ(locale.value("uri").toString(), uri);
    EXPECT_EQ(locale.value("range").toObject(), span(8, 10, 8, 16));
    EXPECT_EQ(c.result("textDocument/definition", at(uri, 6, 9)).toObject().value("uri").toString(),
              QUrl::fromLocalFile(ai.filePath("voisin.per")).toString());

    // the outline: rules named by their comment or first fact, the load, the
    // conditional block holding its constant
    QStringList outline;
    std::function<void(const QJsonArray &, const QString &)> walk = [&](const QJsonArray &symbols, const QString &indent) {
        for (const QJsonValue &v : symbols) {
            const QJsonObject o = v.toObject(), r = o.value("range").toObject();
            outline << QStringLiteral("%1%2 %3 %4-%5")
                           .arg(indent, o.value("name").toString())
                           .arg(o.value("kind").toInt())
                           .arg(r.value("start").toObject().value("line").toInt())
                           .arg(r.value("end").toObject().value("line").toInt());
            walk(o.value("children").toArray(), indent + "  ");
        }
    };
    walk(c.result("textDocument/documentSymbol", {{"textDocument", QJsonObject{{"uri", uri}}}}).toArray(), "");
    EXPECT_EQ(outline, QStringList({"Règle des réserves 12 1-5", "voisin 1 6-6", "#load-if-defined CARTE-ILES 3 7-9",
                                    "  locale 14 8-8", "serfs-oisifs 12 10-10"}))
        << outline.join('\n').toStdString();
}

TEST(LanguageServer, FormattingEditsOnlyWhatTheFormatterChangesAndMovesNoComment)
{
    QTemporaryDir dir;
    const QString text = QString::fromUtf8("; tête\n"
                                           "(defconst   a 3)\n"
                                           "\n"
                                           "(defrule (stock ble < 200) ; bas\n"
                                           "=> (former archer))\n"
                                           "; fin é\n");
    write(dir.filePath("f.per"), text.toUtf8());
    QProcess format;
    format.start(VARDELO_CLI, {"format", dir.filePath("f.per")});
    ASSERT_TRUE(format.waitForFinished());
    const QString expected = QString::fromUtf8(format.readAllStandardOutput());
    ASSERT_NE(expected, text);

    Client c;
    c.initialize();
    c.open("untitled:f", text);
    const QJsonArray edits = c.result("textDocument/formatting", {{"textDocument", QJsonObject{{"uri", "untitled:f"}}}}).toArray();
    EXPECT_EQ(applied(text, edits), expected);
    // the lines the formatter keeps are in no edit
    for (const QJsonValue &e : edits) {
        const QJsonObject r = e.toObject().value("range").toObject();
        const int first = r.value("start").toObject().value("line").toInt(), last = r.value("end").toObject().value("line").toInt();
        for (const int kept : {0, 2, 5})
            EXPECT_FALSE(kept >= first && kept < last) << kept;
    }
    // formatted text: nothing to do
    c.notify("textDocument/didChange", {{"textDocument", QJsonObject{{"uri", "untitled:f"}, {"version", 2}}},
                                        {"contentChanges", QJsonArray{QJsonObject{{"text", expected}}}}});
    EXPECT_EQ(c.result("textDocument/formatting", {{"textDocument", QJsonObject{{"uri", "untitled:f"}}}}).toArray().size(), 0);
}

TEST(LanguageServer, BadMessagesGetAnErrorOrNothingAndTheServerGoesOn)
{
    Client c;
    c.initialize();
    c.open("untitled:b", "(defrule (serfs-oisifs) => (former archer))\n");
    const auto errorOf = [&](const QByteArray &frame, const QJsonValue &id = QJsonValue::Null) {
        c.raw(frame);
        QJsonObject m = c.next();
        while (m.contains("method")) // the diagnostics of the script opened
            m = c.next();
        EXPECT_EQ(m.value("id"), id) << QJsonDocument(m).toJson().constData();
        return m.value("error").toObject().value("code").toInt();
    };
    EXPECT_EQ(errorOf("Content-Length: 5\r\n\r\nhello"), -32700);
    EXPECT_EQ(errorOf("Content-Length: 5\r\n\r\n[1,2]"), -32600);
    EXPECT_EQ(errorOf("Nonsense\r\n\r\n"), -32700);
    EXPECT_EQ(errorOf("Content-Length: 99999999999999\r\n\r\n"), -32700);
    EXPECT_EQ(errorOf(LspMessages::frame(QJsonObject{{"jsonrpc", "2.0"}, {"id", QJsonObject()}, {"method", "shutdown"}})), -32600);
    EXPECT_EQ(errorOf(LspMessages::frame(QByteArray("{\"id\":41,\"method\":\"shutdown\"}")), 41), -32600); // no "jsonrpc"
    const auto code = [&](const QString &method, const QJsonObject &params) {
        return c.answer(c.request(method, params)).value("error").toObject().value("code").toInt();
    };
    EXPECT_EQ(code("textDocument/teleport", {}), -32601);
    EXPECT_EQ(code("textDocument/hover", at("untitled:never", 0, 0)), -32602);
    EXPECT_EQ(code("textDocument/hover", at("untitled:b", 5, 0)), -32602);
    EXPECT_EQ(code("textDocument/completion", at("untitled:b", 0, -3)), -32602);
    EXPECT_EQ(code("textDocument/definition", {{"position", 3}}), -32602);
    c.send({{"jsonrpc", "2.0"}, {"id", 77}, {"method", "textDocument/hover"}, {"params", QJsonArray{1}}});
    EXPECT_EQ(c.answer(77).value("error").toObject().value("code").toInt(), -32602);
    // notifications: nothing answered, nothing changed
    c.notify("$/cancelRequest", {{"id", 3}});
    c.notify("textDocument/didChange", {{"textDocument", QJsonObject{{"uri", "untitled:never"}}}});
    c.notify("textDocument/didChange", {{"textDocument", QJsonObject{{"uri", "untitled:b"}, {"version", 9}}},
                                        {"contentChanges", QJsonArray{QJsonObject{{"range", span(0, 5, 0, 2)}, {"text", "x"}}}}});
    c.notify("textDocument/didOpen", {{"textDocument", QJsonObject{{"uri", "untitled:c"}}}});
    const QJsonArray outline = c.result("textDocument/documentSymbol", {{"textDocument", QJsonObject{{"uri", "untitled:b"}}}}).toArray();
    ASSERT_EQ(outline.size(), 1);
    EXPECT_EQ(outline[0].toObject().value("name").toString(), "serfs-oisifs");
    EXPECT_TRUE(c.answer(c.request("shutdown")).value("result").isNull());
    c.notify("exit");
    int status = -1;
    ASSERT_TRUE(c.ended(&status));
    EXPECT_EQ(status, 0);
}
