#include "fileservices.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <array>
#include <cerrno>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace FileServices {

QString reasonInFrench(const QString &systemText, int code)
{
    static const struct {
        int code;
        const char *french;
    } Reasons[] = {
        {EACCES, "permission refusée"},
        {EPERM, "opération non permise"},
        {ENOSPC, "plus de place sur le disque"},
        {EROFS, "le système de fichiers est en lecture seule"},
        {ENOENT, "fichier ou dossier introuvable"},
        {EISDIR, "c'est un dossier"},
        {ENOTDIR, "un élément du chemin n'est pas un dossier"},
        {EFBIG, "le fichier est trop gros"},
        {EDQUOT, "quota de disque dépassé"},
        {EIO, "erreur d'entrée-sortie du disque"},
        {ENAMETOOLONG, "le nom du fichier est trop long"},
        {EBUSY, "le fichier est occupé"},
        {EMFILE, "trop de fichiers ouverts"},
        {ELOOP, "trop de liens symboliques (une boucle de liens ?)"},
        {EEXIST, "un fichier de ce nom est déjà là"},
    };
    // The system's own text first (it is the one that comes with the
    // failure), then the last error code.
    for (const auto &r : Reasons)
        if (systemText == QString::fromLocal8Bit(std::strerror(r.code)))
            return QString::fromUtf8(r.french);
    for (const auto &r : Reasons)
        if (code == r.code)
            return QString::fromUtf8(r.french);
    if (systemText.isEmpty() || systemText == QLatin1String("Unknown error"))
        return code ? QStringLiteral("erreur du système (code %1)").arg(code) : QStringLiteral("erreur inconnue du système");
    return systemText;
}

namespace {
// 0x80..0x9F of Windows-1252; the five unassigned codes stay the C1 controls
// of the same value, as the system converters map them.
constexpr std::array<char16_t, 32> High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

int encodeChar(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    for (int i = 0; i < 32; ++i)
        if (High[size_t(i)] == c)
            return 0x80 + i;
    return -1;
}

// The reason of the last failure of a file, in French.
QString reason(const QFileDevice &f)
{
    return reasonInFrench(f.errorString(), errno);
}

// Sets error to what failed on which file and why; returns false.
bool failed(QString &error, const QString &what, const QString &path, const QString &reason)
{
    error = QStringLiteral("%1 \"%2\": %3").arg(what, path, reason);
    return false;
}
} // namespace

QString decode1252(QByteArrayView bytes)
{
    // Latin-1 is right for all but 0x80..0x9F: convert, then mend those.
    QString s = QString::fromLatin1(bytes);
    const char *b = bytes.data();
    for (qsizetype i = 0, n = bytes.size(); i < n; ++i) {
        const auto u = static_cast<unsigned char>(b[i]);
        if (u >= 0x80 && u < 0xA0)
            s[i] = QChar(High[u - 0x80]);
    }
    return s;
}

void decode1252(QByteArrayView bytes, QString &out)
{
    out.resize(bytes.size());
    QChar *d = out.data();
    const char *b = bytes.data();
    qsizetype i = 0;
    const qsizetype n = bytes.size();
    while (i < n) {
#if defined(__SSE2__)
        // Blocks of 16 bytes with none in 0x80..0x9F, the bulk of a script,
        // are widened at once: the others are the same code points.
        if (i + 16 <= n) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(b + i));
            const __m128i high = _mm_cmpeq_epi8(_mm_and_si128(v, _mm_set1_epi8(char(0xE0))), _mm_set1_epi8(char(0x80)));
            if (_mm_movemask_epi8(high) == 0) {
                const __m128i zero = _mm_setzero_si128();
                _mm_storeu_si128(reinterpret_cast<__m128i *>(d + i), _mm_unpacklo_epi8(v, zero));
                _mm_storeu_si128(reinterpret_cast<__m128i *>(d + i + 8), _mm_unpackhi_epi8(v, zero));
                i += 16;
                continue;
            }
        }
#endif
        for (const qsizetype e = qMin(n, i + 16); i < e; ++i) {
            const auto u = static_cast<unsigned char>(b[i]);
            d[i] = QChar(u >= 0x80 && u < 0xA0 ? High[u - 0x80] : char16_t(u));
        }
    }
}

bool appendEncoded1252(QStringView text, QByteArray &out)
{
    const qsizetype start = out.size();
    const qsizetype n = text.size();
    out.resize(start + n);
    char *o = out.data() + start;
    const char16_t *t = text.utf16();
    qsizetype i = 0;
    while (i < n) {
#if defined(__SSE2__)
        // Blocks of 16 characters below 0x100 and out of 0x80..0x9F are
        // narrowed at once: their code is their code point.
        if (i + 16 <= n) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(t + i));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(t + i + 8));
            auto plain = [](__m128i v) { // 0xFFFF where v < 0x80 or 0xA0 <= v < 0x100
                const __m128i c1 = _mm_cmpeq_epi16(_mm_and_si128(v, _mm_set1_epi16(short(0xFFE0))), _mm_set1_epi16(0x80));
                const __m128i wide = _mm_and_si128(v, _mm_set1_epi16(short(0xFF00)));
                return _mm_andnot_si128(c1, _mm_cmpeq_epi16(wide, _mm_setzero_si128()));
            };
            if (_mm_movemask_epi8(_mm_and_si128(plain(a), plain(b))) == 0xFFFF) {
                _mm_storeu_si128(reinterpret_cast<__m128i *>(o + i), _mm_packus_epi16(a, b));
                i += 16;
                continue;
            }
        }
#endif
        for (const qsizetype e = qMin(n, i + 16); i < e; ++i) {
            const char16_t c = t[i];
            const int code = c < 0x80 ? c : encodeChar(c);
            if (code < 0) {
                out.truncate(start);
                return false;
            }
            o[i] = char(code);
        }
    }
    return true;
}

qsizetype firstUnencodable(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c >= 0x80 && encodeChar(c) < 0)
            return i;
    }
    return -1;
}

QByteArray encode1252(QStringView text)
{
    QByteArray out(text.size(), Qt::Uninitialized);
    char *o = out.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        const int e = c < 0x80 ? c : encodeChar(c);
        o[i] = char(e < 0 ? '?' : e);
    }
    return out;
}

void splitLines(QStringView text, std::vector<QStringView> &lines)
{
    lines.clear();
    const char16_t *d = text.utf16();
    const qsizetype n = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
#if defined(__SSE2__)
        // Steps over 8 characters at once while none ends a line.
        while (i + 8 <= n) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(d + i));
            const __m128i ends = _mm_or_si128(_mm_cmpeq_epi16(v, _mm_set1_epi16('\n')),
                                              _mm_cmpeq_epi16(v, _mm_set1_epi16('\r')));
            const int mask = _mm_movemask_epi8(ends);
            if (mask != 0) {
                i += __builtin_ctz(unsigned(mask)) / 2;
                break;
            }
            i += 8;
        }
        if (i >= n)
            break;
#endif
        const char16_t c = d[i];
        if (c == '\n' || c == '\r') {
            lines.push_back(text.mid(start, i - start));
            if (c == '\r' && i + 1 < n && d[i + 1] == u'\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        lines.push_back(text.mid(start));
}

std::vector<QStringView> splitLines(QStringView text)
{
    std::vector<QStringView> lines;
    lines.reserve(size_t(text.size() / 24 + 1));
    splitLines(text, lines);
    return lines;
}

bool openForReading(QFile &f, const QString &path, QString &error)
{
    const QString cannot = QStringLiteral("Impossible de lire le fichier");
    f.setFileName(path);
#ifdef Q_OS_UNIX
    // Opened without waiting (a named pipe blocks an open until a writer
    // comes), then looked at through what was opened, not the path again.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return failed(error, QStringLiteral("Impossible d'ouvrir le fichier"), path, reasonInFrench(QString(), errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const bool folder = S_ISDIR(st.st_mode);
        ::close(fd);
        return failed(error, cannot, path,
                      folder ? QStringLiteral("c'est un dossier")
                             : QStringLiteral("ce n'est pas un fichier ordinaire (périphérique, tube ou fichier spécial)"));
    }
    if (st.st_size > LargestFile) {
        ::close(fd);
        return failed(error, cannot, path, QStringLiteral("le fichier est trop gros (plus de 1 Go)"));
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!f.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return failed(error, QStringLiteral("Impossible d'ouvrir le fichier"), path, reason(f));
    }
#else
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return failed(error, cannot, path,
                      info.isDir() ? QStringLiteral("c'est un dossier")
                                   : QStringLiteral("ce n'est pas un fichier ordinaire (périphérique, tube ou fichier spécial)"));
    if (!f.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return failed(error, QStringLiteral("Impossible d'ouvrir le fichier"), path, reason(f));
    if (f.size() > LargestFile) {
        f.close();
        return failed(error, cannot, path, QStringLiteral("le fichier est trop gros (plus de 1 Go)"));
    }
#endif
    return true;
}

int readAtMost(QIODevice &device, QByteArray &bytes)
{
    static thread_local char piece[1 << 16];
    for (;;) {
        // What the device says is left goes straight into the buffer; then
        // a piece aside tells whether it really ends there.
        const qint64 left = device.isSequential() ? 0 : device.size() - device.pos();
        if (left > 0) {
            const qsizetype at = bytes.size();
            bytes.resize(at + qMin(left, LargestFile + 1 - at));
            const qint64 got = device.read(bytes.data() + at, bytes.size() - at);
            bytes.resize(at + qMax<qint64>(got, 0));
            if (got < 0)
                return -1;
            if (bytes.size() > LargestFile)
                return 1;
            if (got > 0)
                continue;
        }
        const qint64 got = device.read(piece, sizeof piece);
        if (got <= 0)
            return got < 0 ? -1 : 0;
        if (bytes.size() + got > LargestFile)
            return 1;
        bytes.append(piece, got);
    }
}

bool readFileBytes(const QString &path, QByteArray &bytes, QString &error)
{
    QFile f;
    if (!openForReading(f, path, error))
        return false;
    // Read by pieces up to the limit: the size seen at opening binds no
    // program still writing it.
    QByteArray read;
    read.reserve(f.size());
    if (const int r = readAtMost(f, read); r != 0)
        return failed(error, QStringLiteral("Impossible de lire le fichier"), path,
                      r > 0 ? QStringLiteral("le fichier est trop gros (plus de 1 Go)") : reason(f));
    bytes = std::move(read);
    return true;
}

bool readTextFile(const QString &path, QString &text, QString &error)
{
    QByteArray bytes;
    if (!readFileBytes(path, bytes, error))
        return false;
    text = decode1252(bytes);
    return true;
}

bool saveFile(const QString &path, const QByteArray &bytes, QString &error)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return failed(error, QStringLiteral("Impossible d'écrire le fichier"), path, reason(f));
    if (f.write(bytes) != bytes.size()) {
        const QString why = reason(f);
        f.cancelWriting();
        return failed(error, QStringLiteral("Impossible d'écrire le fichier"), path, why);
    }
    if (!f.commit())
        return failed(error, QStringLiteral("Impossible d'enregistrer le fichier"), path, reason(f));
    return true;
}

bool createEmptyFile(const QString &path, QString &error)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return failed(error, QStringLiteral("Impossible de créer le fichier"), path, reason(f));
    return true;
}

QString GetFileName(const QString &path)
{
    const qsizetype p = qMax(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/')));
    return path.mid(p + 1);
}

QString GetExtensionName(const QString &path)
{
    const QString name = GetFileName(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot + 1);
}

QString GetParentFolderName(const QString &path)
{
    const qsizetype p = qMax(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/')));
    return p < 0 ? QString() : path.left(p);
}

QString baseName(const QString &path)
{
    const QString name = GetFileName(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? name : name.left(dot);
}

} // namespace FileServices
