#include "lspmessages.h"

#include <QJsonDocument>
#include <QList>

namespace LspMessages {

void Reader::compact()
{
    // what was read is dropped once it is the larger part of the buffer
    if (m_pos > 0 && m_pos * 2 >= m_buffer.size()) {
        m_buffer.remove(0, m_pos);
        m_pos = 0;
    }
}

Reader::Result Reader::next(QByteArray &body, QString &error)
{
    const QByteArrayView rest = QByteArrayView(m_buffer).sliced(m_pos);
    // The header is looked for in its longest size only, so that what is
    // read does not depend on the pieces the bytes come in.
    const qsizetype end = rest.first(std::min(rest.size(), MaxHeader + 4)).indexOf("\r\n\r\n");
    if (end < 0) {
        if (rest.size() < MaxHeader + 4)
            return Result::NeedMore;
        // no header ends there: dropped, but for where one may start
        m_pos += MaxHeader + 1;
        compact();
        error = QStringLiteral("en-tête de message trop long ou sans ligne vide finale");
        return Result::BadHeader;
    }
    qsizetype length = -1;
    bool bad = false;
    for (QByteArrayView line : QByteArrayView(rest.first(end)).toByteArray().split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        const qsizetype colon = line.indexOf(':');
        if (colon < 0) {
            bad = true;
            continue;
        }
        if (line.first(colon).trimmed().compare("Content-Length", Qt::CaseInsensitive) == 0) {
            bool ok = false;
            const qlonglong n = line.sliced(colon + 1).trimmed().toLongLong(&ok);
            if (ok && n >= 0)
                length = n;
            else
                bad = true;
        }
    }
    if (bad || length < 0 || length > MaxBody) {
        m_pos += end + 4;
        compact();
        error = length > MaxBody ? QStringLiteral("message trop long (%1 octets, %2 au plus)").arg(length).arg(MaxBody)
                                 : QStringLiteral("en-tête de message illisible (Content-Length attendu)");
        return Result::BadHeader;
    }
    if (rest.size() - end - 4 < length)
        return Result::NeedMore;
    body = rest.sliced(end + 4, length).toByteArray();
    m_pos += end + 4 + length;
    compact();
    return Result::Message;
}

QByteArray frame(const QJsonObject &message)
{
    return frame(QJsonDocument(message).toJson(QJsonDocument::Compact));
}

QByteArray frame(const QByteArray &body)
{
    return "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

void appendJsonString(QByteArray &out, QStringView text)
{
    out += '"';
    const QByteArray utf8 = text.toUtf8();
    for (const char c : utf8) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (uchar(c) < 0x20) {
                out += "\\u00";
                out += "0123456789abcdef"[uchar(c) >> 4];
                out += "0123456789abcdef"[uchar(c) & 15];
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

} // namespace LspMessages
