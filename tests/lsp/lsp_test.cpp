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
    // The next diagnostics published for uri.
    QJsonObject diagnostics(const QString &uri)
    {
        for (qsizetype i = 0; i < m_notifications.size(); ++i)
            if (isDiagnostics(m_notifications[i], uri))
                return m_notifications.takeAt(i).value("params").toObject();
        for (QJsonObject m = next(); !m.isEmpty(); m = next()) {
            if (isDiagnostics(m, uri))
                return m.value("params").toObject();
            m_notifications.append(m);
        }
        return {};
    }
    QJsonObject initialize()
    {
        const QJsonObject answer = this->answer(request(
            "initialize", {{"processId", QJsonValue::Null},
                           {"initializationOptions", QJsonObject{{"catalogues", VARDELO_DATA_DIR}}},
                           {"capabilities", QJsonObject()}}));
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
    static bool isDiagnostics(const QJsonObject &m, const QString &uri)
    {
        return m.value("method") == QLatin1String("textDocument/publishDiagnostics")
               && m.value("params").toObject().value("uri") == uri;
    }
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
    Client gone;
    gone.initialize();
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
