#include "lspserver.h"

#include "catalogues/acts.h"
#include "catalogues/facts.h"
#include "catalogues/records.h"
#include "lspmessages.h"
#include "shell/pluginfolder.h"
#include "vardeloversion.h"

#include <QJsonDocument>
#include <cerrno>

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#else
#include <csignal>
#include <unistd.h>
#endif

namespace {

// The columns of what a problem's message names first (« … ») in its line,
// found as a word of its own if it can be, else anywhere; the line's text
// when the message names nothing the line holds.
std::pair<int, int> culprit(QStringView line, const QString &message)
{
    const qsizetype open = message.indexOf(QStringLiteral("« "));
    const qsizetype close = open < 0 ? -1 : message.indexOf(QStringLiteral(" »"), open + 2);
    if (close > open) {
        QStringView token = QStringView(message).sliced(open + 2, close - open - 2);
        if (token.endsWith(QChar(0x2026))) // cut short: its start is enough to find it
            token.chop(1);
        if (!token.isEmpty()) {
            qsizetype any = -1;
            for (qsizetype at = line.indexOf(token, 0, Qt::CaseInsensitive); at >= 0;
                 at = line.indexOf(token, at + 1, Qt::CaseInsensitive)) {
                const auto word = [](QChar c) { return !c.isSpace() && c != QLatin1Char('(') && c != QLatin1Char(')'); };
                const qsizetype end = at + token.size();
                if ((at == 0 || !word(line[at - 1])) && (end == line.size() || !word(line[end])))
                    return {int(at), int(end)};
                if (any < 0)
                    any = at;
            }
            if (any >= 0)
                return {int(any), int(any + token.size())};
        }
    }
    qsizetype from = 0, to = line.size();
    while (from < to && line[from].isSpace())
        ++from;
    while (to > from && line[to - 1].isSpace())
        --to;
    return {int(from), int(to)};
}

} // namespace

LspServer::LspServer(const QString &defaultCatalogues, Send send)
    : m_defaultCatalogues(defaultCatalogues), m_send(std::move(send))
{
}

LspServer::~LspServer() = default;

void LspServer::respond(const QJsonValue &id, const Result &result)
{
    QJsonObject message{{QStringLiteral("jsonrpc"), QStringLiteral("2.0")}, {QStringLiteral("id"), id}};
    if (const Failure *f = std::get_if<Failure>(&result))
        message.insert(QStringLiteral("error"),
                       QJsonObject{{QStringLiteral("code"), f->code}, {QStringLiteral("message"), f->message}});
    else
        message.insert(QStringLiteral("result"), std::get<QJsonValue>(result));
    m_send(LspMessages::frame(message));
}

void LspServer::notify(const QString &method, const QJsonObject &params)
{
    m_send(LspMessages::frame({{QStringLiteral("jsonrpc"), QStringLiteral("2.0")},
                               {QStringLiteral("method"), method},
                               {QStringLiteral("params"), params}}));
}

// type: 1 error, 2 warning, 3 information.
void LspServer::log(int type, const QString &message)
{
    notify(QStringLiteral("window/logMessage"),
           {{QStringLiteral("type"), type}, {QStringLiteral("message"), message}});
}

void LspServer::badHeader(const QString &why)
{
    respond(QJsonValue::Null, Failure{ParseError, why});
}

void LspServer::receive(const QByteArray &body)
{
    QJsonParseError parse;
    const QJsonDocument json = QJsonDocument::fromJson(body, &parse);
    if (parse.error != QJsonParseError::NoError)
        return respond(QJsonValue::Null, Failure{ParseError, QStringLiteral("message illisible: ce n'est pas du JSON (%1, octet %2)")
                                                                  .arg(parse.errorString())
                                                                  .arg(parse.offset)});
    const QJsonObject message = json.object();
    const QJsonValue id = message.value(QLatin1String("id"));
    const bool validId = id.isString() || id.isDouble();
    const QJsonValue method = message.value(QLatin1String("method"));
    if (json.isObject() && !method.isString() && validId
        && (message.contains(QLatin1String("result")) || message.contains(QLatin1String("error"))))
        return; // the answer to a request of ours: none is waited for
    const QJsonValue params = message.value(QLatin1String("params"));
    if (!json.isObject() || message.value(QLatin1String("jsonrpc")) != QLatin1String("2.0") || !method.isString()
        || (message.contains(QLatin1String("id")) && !validId))
        return respond(validId ? id : QJsonValue(QJsonValue::Null),
                       Failure{InvalidRequest, QStringLiteral("message JSON-RPC 2.0 attendu: un objet avec \"jsonrpc\": \"2.0\" et une méthode")});
    const QString name = method.toString();
    const bool isRequest = message.contains(QLatin1String("id"));
    if (!params.isUndefined() && !params.isObject() && !params.isNull()) {
        if (isRequest)
            respond(id, Failure{InvalidParams, QStringLiteral("paramètres attendus sous forme d'objet")});
        return;
    }
    if (isRequest)
        respond(id, request(name, params.toObject()));
    else
        notification(name, params.toObject());
    if (m_state == State::Running && !m_startMessages.isEmpty() && name == QLatin1String("initialize")) {
        for (const auto &[type, text] : std::as_const(m_startMessages))
            type == 1 ? notify(QStringLiteral("window/showMessage"),
                               {{QStringLiteral("type"), 1}, {QStringLiteral("message"), text}})
                      : log(type, text);
        m_startMessages.clear();
    }
}

LspServer::Result LspServer::request(const QString &method, const QJsonObject &params)
{
    if (method == QLatin1String("initialize")) {
        if (m_state != State::Starting)
            return Failure{InvalidRequest, QStringLiteral("le serveur est déjà initialisé")};
        m_state = State::Running;
        return initialize(params);
    }
    if (m_state == State::Starting)
        return Failure{ServerNotInitialized, QStringLiteral("le serveur attend d'abord \"initialize\"")};
    if (m_state == State::ShutDown)
        return Failure{InvalidRequest, QStringLiteral("le serveur est arrêté: seul \"exit\" est attendu")};
    if (method == QLatin1String("shutdown")) {
        m_state = State::ShutDown;
        return QJsonValue(QJsonValue::Null);
    }
    Failure failure;
    if (method == QLatin1String("textDocument/documentSymbol") || method == QLatin1String("textDocument/formatting")) {
        const LspDocument *d = document(params, failure);
        if (!d)
            return failure;
        if (method == QLatin1String("textDocument/formatting"))
            return formatting(*d);
        return symbols(*d);
    }
    if (method == QLatin1String("textDocument/completion") || method == QLatin1String("textDocument/hover")
        || method == QLatin1String("textDocument/definition")) {
        qsizetype offset = 0;
        const LspDocument *d = at(params, offset, failure);
        if (!d)
            return failure;
        if (method == QLatin1String("textDocument/completion"))
            return completion(*d, offset);
        if (method == QLatin1String("textDocument/hover"))
            return hover(*d, offset);
        return definition(*d, offset);
    }
    return Failure{MethodNotFound, QStringLiteral("méthode inconnue: %1").arg(method)};
}

LspDocument *LspServer::document(const QJsonObject &params, Failure &failure)
{
    const QJsonValue uri = params.value(QLatin1String("textDocument")).toObject().value(QLatin1String("uri"));
    if (!uri.isString()) {
        failure = {InvalidParams, QStringLiteral("\"textDocument.uri\" attendu")};
        return nullptr;
    }
    LspDocument *d = m_documents.value(uri.toString()).get();
    if (!d)
        failure = {InvalidParams, QStringLiteral("document non ouvert: %1").arg(uri.toString())};
    return d;
}

LspDocument *LspServer::at(const QJsonObject &params, qsizetype &offset, Failure &failure)
{
    LspDocument *d = document(params, failure);
    if (!d)
        return nullptr;
    const QJsonObject p = params.value(QLatin1String("position")).toObject();
    const QJsonValue line = p.value(QLatin1String("line")), character = p.value(QLatin1String("character"));
    offset = line.isDouble() && character.isDouble() ? d->offset(int(line.toInteger(-1)), int(character.toInteger(-1))) : -1;
    // a position past the end of its line stands for that end, as the protocol says
    if (offset < 0) {
        failure = {InvalidParams, QStringLiteral("position hors du texte")};
        return nullptr;
    }
    return d;
}

QJsonObject LspServer::initialize(const QJsonObject &params)
{
    const QJsonValue folder = params.value(QLatin1String("initializationOptions")).toObject().value(QLatin1String("catalogues"));
    loadCatalogues(folder.isString() && !folder.toString().isEmpty() ? folder.toString() : m_defaultCatalogues);
    const QJsonObject sync{{QStringLiteral("openClose"), true},
                           {QStringLiteral("change"), 2}, // incremental
                           {QStringLiteral("save"), QJsonObject{{QStringLiteral("includeText"), false}}}};
    const QJsonObject capabilities{
        {QStringLiteral("positionEncoding"), QStringLiteral("utf-16")},
        {QStringLiteral("textDocumentSync"), sync},
        {QStringLiteral("completionProvider"),
         QJsonObject{{QStringLiteral("triggerCharacters"), QJsonArray{QStringLiteral("("), QStringLiteral(" ")}}}},
        {QStringLiteral("hoverProvider"), true},
        {QStringLiteral("definitionProvider"), true},
        {QStringLiteral("documentSymbolProvider"), true},
        {QStringLiteral("documentFormattingProvider"), true},
    };
    return {{QStringLiteral("capabilities"), capabilities},
            {QStringLiteral("serverInfo"), QJsonObject{{QStringLiteral("name"), QStringLiteral("vardelo")},
                                                       {QStringLiteral("version"), QStringLiteral(VARDELO_VERSION)}}}};
}

void LspServer::loadCatalogues(const QString &folder)
{
    m_vocabulary.reset();
    const QString missing = Vocabulary::unreadable(folder);
    if (missing.isEmpty()) {
        PluginFolder::setPath(folder);
        Catalogues::clearProblems();
        Vocabulary vocabulary = Vocabulary::loadCatalogues();
        for (const QString &problem : Catalogues::problems())
            m_startMessages.append({2, problem});
        if (Facts::FactCount > 0 && Acts::ActCount > 0)
            m_vocabulary = std::move(vocabulary);
    }
    if (!m_vocabulary)
        m_startMessages.append({1, (missing.isEmpty() ? QStringLiteral("Impossible de lire les catalogues de « %1 »: %2")
                                                            .arg(folder, Catalogues::problemsMessage())
                                                      : missing)
                                       + QStringLiteral(" Le vocabulaire n'est pas vérifié.")});
    prepareCompletions();
}

void LspServer::notification(const QString &method, const QJsonObject &params)
{
    if (method == QLatin1String("exit")) {
        m_exitCode = m_state == State::ShutDown ? 0 : 1;
        m_state = State::Exited;
        return;
    }
    if (m_state != State::Running)
        return; // before initialize, or after shutdown: dropped
    const QJsonObject text = params.value(QLatin1String("textDocument")).toObject();
    const QString uri = text.value(QLatin1String("uri")).toString();
    if (method == QLatin1String("textDocument/didOpen")) {
        if (uri.isEmpty() || !text.value(QLatin1String("text")).isString())
            return log(1, QStringLiteral("didOpen sans \"uri\" ou sans \"text\": ignoré"));
        auto d = std::make_shared<LspDocument>(uri, text.value(QLatin1String("text")).toString(),
                                               int(text.value(QLatin1String("version")).toInteger()));
        d->findAi();
        m_documents.insert(uri, std::move(d));
        return;
    }
    LspDocument *d = m_documents.value(uri).get();
    if (method.startsWith(QLatin1String("textDocument/did")) && !d)
        return log(1, QStringLiteral("%1: document non ouvert: %2").arg(method, uri));
    if (method == QLatin1String("textDocument/didChange")) {
        const int version = int(text.value(QLatin1String("version")).toInteger(d->version()));
        for (const QJsonValue &change : params.value(QLatin1String("contentChanges")).toArray()) {
            QString error;
            if (!d->apply(change.toObject(), version, error))
                return log(1, QStringLiteral("changement refusé pour %1: %2").arg(uri, error));
        }
    } else if (method == QLatin1String("textDocument/didSave")) {
        // the file on disk now: the AI of every script it belongs to may have changed
        const QString saved = d->path().isEmpty() ? QString() : Ai::canonical(d->path());
        for (const std::shared_ptr<LspDocument> &other : std::as_const(m_documents))
            if (other.get() == d || (other->ai() && !saved.isEmpty() && other->ai()->indexOf(saved) >= 0))
                other->findAi();
    } else if (method == QLatin1String("textDocument/didClose")) {
        m_documents.remove(uri);
        notify(QStringLiteral("textDocument/publishDiagnostics"),
               {{QStringLiteral("uri"), uri}, {QStringLiteral("diagnostics"), QJsonArray()}});
    }
}

void LspServer::idle()
{
    for (const std::shared_ptr<LspDocument> &d : std::as_const(m_documents))
        if (d->diagnosticsDue)
            publish(*d);
}

void LspServer::publish(LspDocument &document)
{
    document.diagnosticsDue = false;
    // written by hand: a script of 100,000 lines may have thousands of problems
    QByteArray body = R"({"jsonrpc":"2.0","method":"textDocument/publishDiagnostics","params":{"uri":)";
    LspMessages::appendJsonString(body, document.uri());
    body += R"(,"version":)" + QByteArray::number(document.version()) + R"(,"diagnostics":[)";
    bool first = true;
    for (const Problems::Problem &p : document.problems(vocabulary())) {
        const int line = std::max(0, p.line - 1);
        const auto [from, to] = culprit(document.line(line), p.message);
        const QByteArray l = QByteArray::number(line);
        body += first ? "" : ",";
        body += R"({"range":{"start":{"line":)" + l + R"(,"character":)" + QByteArray::number(from) + R"(},"end":{"line":)"
                + l + R"(,"character":)" + QByteArray::number(to) + R"(}},"severity":)"
                + (p.severity == Problems::Severity::Error ? "1" : "2") + R"(,"source":"vardelo","message":)";
        LspMessages::appendJsonString(body, p.message);
        body += '}';
        first = false;
    }
    body += "]}}";
    m_send(LspMessages::frame(body));
}

int runLspServer(const QString &defaultCatalogues)
{
#ifdef Q_OS_WIN
    _setmode(0, _O_BINARY);
    _setmode(1, _O_BINARY);
    const auto readIn = [](char *b, unsigned n) { return qint64(_read(0, b, n)); };
    const auto writeOut = [](const char *b, unsigned n) { return qint64(_write(1, b, n)); };
#else
    std::signal(SIGPIPE, SIG_IGN); // a client gone is a failed write, not a signal
    const auto readIn = [](char *b, size_t n) { return qint64(::read(0, b, n)); };
    const auto writeOut = [](const char *b, size_t n) { return qint64(::write(1, b, n)); };
#endif
    bool gone = false;
    LspServer server(defaultCatalogues, [&](const QByteArray &bytes) {
        for (qsizetype done = 0; !gone && done < bytes.size();) {
            const qint64 n = writeOut(bytes.constData() + done, unsigned(bytes.size() - done));
            if (n > 0)
                done += n;
            else if (n < 0 && errno != EINTR)
                gone = true;
        }
        return !gone;
    });
    LspMessages::Reader reader;
    std::vector<char> buffer(1 << 16);
    while (!server.exited() && !gone) {
        QByteArray body;
        QString why;
        const LspMessages::Reader::Result r = reader.next(body, why);
        if (r == LspMessages::Reader::Result::Message) {
            server.receive(body);
            continue;
        }
        if (r == LspMessages::Reader::Result::BadHeader) {
            server.badHeader(why);
            continue;
        }
        server.idle();
        const qint64 n = readIn(buffer.data(), unsigned(buffer.size()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break; // the client is gone
        reader.feed(QByteArrayView(buffer.data(), n));
    }
    return server.exited() ? server.exitCode() : 1;
}
