#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QJsonObject>
#include <QString>

// The framing of the language server's messages: a header of
// "Name: value" lines ended by an empty line, "Content-Length" giving the
// size in bytes of the JSON body that follows.
namespace LspMessages {

// No body grows past this: a client announcing more is refused.
constexpr qsizetype MaxBody = qsizetype(256) << 20;
// A header longer than this without its empty line is not one.
constexpr qsizetype MaxHeader = 8192;

// Cuts the bytes received into message bodies, whatever pieces they come in.
class Reader
{
public:
    void feed(QByteArrayView bytes) { m_buffer.append(bytes); }

    enum class Result { Message, NeedMore, BadHeader };
    // The next body; BadHeader (why in error) when a header cannot be read:
    // that header is skipped, so reading goes on with what follows it.
    Result next(QByteArray &body, QString &error);
    qsizetype pending() const { return m_buffer.size() - m_pos; }

private:
    QByteArray m_buffer;
    qsizetype m_pos = 0;
    void compact();
};

// The message written with its header.
QByteArray frame(const QJsonObject &message);
// A JSON body written with its header.
QByteArray frame(const QByteArray &body);
// Appends text as a JSON string (quoted, escaped, UTF-8): large messages
// are written without a QJsonObject per part.
void appendJsonString(QByteArray &out, QStringView text);

} // namespace LspMessages
