#include "scriptsource.h"

#include "shell/fileservices.h"

QStringView ScriptSource::formText(int f) const
{
    const qsizetype begin = forms[size_t(f)].charBegin;
    const qsizetype end = size_t(f + 1) < forms.size() ? forms[size_t(f + 1)].charBegin : text.size();
    return QStringView(text).mid(begin, end - begin);
}

QByteArrayView ScriptSource::formBytes(int f) const
{
    const qsizetype begin = forms[size_t(f)].byteBegin;
    const qsizetype end = size_t(f + 1) < forms.size() ? forms[size_t(f + 1)].byteBegin : bytes.size();
    return QByteArrayView(bytes).sliced(begin, end - begin);
}

int ScriptSource::lastLine(int f) const
{
    return size_t(f + 1) < forms.size() ? forms[size_t(f + 1)].firstLine - 1 : qMax(lineCount, forms[size_t(f)].firstLine);
}

int ScriptSource::keptCount() const
{
    int n = 0;
    for (const auto &[f, lines] : lost)
        n += isKept(f) ? 1 : 0;
    return n;
}

QString ScriptSource::keptReason(int f, int shown) const
{
    const int first = forms[size_t(f)].firstLine;
    const int last = lastLine(f);
    QString m = first == last
                    ? QStringLiteral("Cette partie du script (ligne %1 du fichier) est conservée telle qu'elle a été lue: "
                                     "l'éditeur ne peut pas la réécrire sans en changer le contenu.")
                          .arg(first)
                    : QStringLiteral("Cette partie du script (lignes %1 à %2 du fichier) est conservée telle qu'elle a été lue: "
                                     "l'éditeur ne peut pas la réécrire sans en changer le contenu.")
                          .arg(QString::number(first), QString::number(last));
    const auto it = lost.find(f);
    if (it == lost.end() || it->second.isEmpty())
        return m;
    m += QStringLiteral("\nCe qui serait perdu ou changé:");
    const QList<LostLine> &lines = it->second;
    for (int k = 0; k < lines.size() && k < shown; ++k) {
        QString t = lines[k].text;
        if (t.size() > 80)
            t = t.left(80) + QStringLiteral("…");
        m += QStringLiteral("\nligne %1: %2").arg(QString::number(lines[k].number), t);
    }
    if (lines.size() > shown)
        m += QStringLiteral("\n… et %1 autres lignes.").arg(lines.size() - shown);
    return m;
}

QString ScriptSource::encodingName() const
{
    return encoding == TextEncoding::Utf8 ? QStringLiteral("UTF-8") : QStringLiteral("Windows-1252");
}

ScriptSource ScriptSource::reencoded(TextEncoding to) const
{
    ScriptSource out = *this;
    out.encoding = to;
    out.byteOrderMark = false;
    out.bytes.clear();
    out.bytes.reserve(text.size());
    for (int f = 0; f < formCount(); ++f) {
        SourceForm &form = out.forms[size_t(f)];
        form.byteBegin = qint32(out.bytes.size());
        const QStringView t = formText(f);
        if (to == TextEncoding::Utf8) {
            out.bytes += t.toUtf8();
        } else {
            if (FileServices::firstUnencodable(t) >= 0)
                form.edited = true;
            out.bytes += FileServices::encode1252(t);
        }
    }
    return out;
}
