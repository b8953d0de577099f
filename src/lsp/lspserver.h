#pragma once

#include "catalogues/vocabulary.h"
#include "lspdocument.h"

#include <QByteArray>
#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <functional>
#include <memory>
#include <optional>
#include <variant>

// `vardelo lsp`: the language server. It takes message bodies one at a time
// and sends its answers and notifications through send; the diagnostics of
// the scripts changed are published once no message waits (idle), so a
// burst of changes is checked once.
class LspServer
{
public:
    // send: one framed message; false once the client is gone.
    using Send = std::function<bool(const QByteArray &)>;
    LspServer(const QString &defaultCatalogues, Send send);
    ~LspServer();

    // One message body (the JSON of a request, a notification or a response).
    void receive(const QByteArray &body);
    // A header that could not be read: answered as a message that is not JSON.
    void badHeader(const QString &why);
    // Publishes the diagnostics due.
    void idle();

    bool exited() const { return m_state == State::Exited; }
    // The status of the process after "exit": 0 when "shutdown" came first.
    int exitCode() const { return m_exitCode; }

    // The protocol's error codes.
    enum Code {
        ParseError = -32700,
        InvalidRequest = -32600,
        MethodNotFound = -32601,
        InvalidParams = -32602,
        ServerNotInitialized = -32002,
    };
    struct Failure {
        int code = InvalidParams;
        QString message;
    };

private:
    using Result = std::variant<QJsonValue, Failure>;
    void respond(const QJsonValue &id, const Result &result);
    void notify(const QString &method, const QJsonObject &params);
    void log(int type, const QString &message);
    Result request(const QString &method, const QJsonObject &params);
    void notification(const QString &method, const QJsonObject &params);
    QJsonObject initialize(const QJsonObject &params);
    void loadCatalogues(const QString &folder);
    void publish(LspDocument &document);

    // The document a request names, or why there is none.
    LspDocument *document(const QJsonObject &params, Failure &failure);
    // The document and the offset of the position a request names.
    LspDocument *at(const QJsonObject &params, qsizetype &offset, Failure &failure);

    // The features (lspfeatures.cpp).
    QJsonValue completion(const LspDocument &document, qsizetype offset);
    QJsonValue hover(const LspDocument &document, qsizetype offset);
    QJsonValue definition(const LspDocument &document, qsizetype offset);
    QJsonValue symbols(const LspDocument &document);
    Result formatting(const LspDocument &document);
    void prepareCompletions();

    enum class State { Starting, Running, ShutDown, Exited };
    State m_state = State::Starting;
    int m_exitCode = 1;
    QString m_defaultCatalogues;
    Send m_send;
    std::optional<Vocabulary> m_vocabulary; // none when the catalogues cannot be read
    const Vocabulary *vocabulary() const { return m_vocabulary ? &*m_vocabulary : nullptr; }
    QHash<QString, std::shared_ptr<LspDocument>> m_documents; // by URI
    // Told once initialize is answered.
    QList<std::pair<int, QString>> m_startMessages;
    // The completion items that do not depend on the place.
    QJsonArray m_factItems, m_actionItems, m_keywordItems, m_topItems, m_symbolItems;
    // The record of each fact and action of the catalogues, by folded name.
    QHash<QString, int> m_factRecords, m_actionRecords;
};

// Serves one client over the standard input and output until it sends
// "exit" or goes; returns the process's status.
int runLspServer(const QString &defaultCatalogues);
