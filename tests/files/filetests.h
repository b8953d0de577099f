#pragma once

// What the file command tests share: files written and read back as bytes,
// the file chooser answered as the user would, and how a row is drawn.
#include "document/plugfrm.h"
#include "document/scriptlistview.h"
#include "testsupport.h"

#include <QFile>
#include <QFileDialog>
#include <QFont>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace FileTests {

// Answers the next file chooser with path ("" cancels); records its title.
inline void chooseFile(const QString &path, QString *title = nullptr)
{
    TestSupport::onNextModal([=](QWidget *w) {
        auto *d = qobject_cast<QFileDialog *>(w);
        ASSERT_NE(d, nullptr) << w->metaObject()->className();
        if (title)
            *title = d->windowTitle();
        if (path.isEmpty()) {
            d->reject();
            return;
        }
        d->selectFile(path);
        QMetaObject::invokeMethod(d, "accept");
    });
}

inline QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<absent>");
}

inline void write(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// The text "Prévisualiser" shows (its line ends read as "\n").
inline QString preview(PlugFrm &f)
{
    QString shown;
    TestSupport::onNextModal([&](QWidget *w) {
        EXPECT_EQ(w->windowTitle(), "Prévisualisation");
        shown = w->findChild<QPlainTextEdit *>()->toPlainText();
        w->close();
    });
    QTest::mouseClick(f.Command2, Qt::LeftButton);
    return shown;
}

inline QVariant shown(PlugFrm &f, int pos, int role)
{
    const ScriptModel &m = f.ListView1->rows();
    return m.data(m.index(pos - 1), role);
}
inline bool italic(PlugFrm &f, int pos)
{
    return shown(f, pos, Qt::FontRole).value<QFont>().italic();
}
inline QString tooltip(PlugFrm &f, int pos)
{
    return shown(f, pos, Qt::ToolTipRole).toString();
}
// Label2 under the list, empty while it is hidden.
inline QString keptNote(PlugFrm &f)
{
    return f.Label2->isHidden() ? QString() : f.Label2->text();
}

} // namespace FileTests

// Readable file contents in test failure messages: text, with line ends and
// bytes outside ASCII written as escapes.
inline void PrintTo(const QByteArray &bytes, std::ostream *os)
{
    *os << '"';
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\r')
            *os << "\\r";
        else if (c == '\n')
            *os << "\\n";
        else if (c == '\t')
            *os << "\\t";
        else if (u < 0x20 || u >= 0x7f)
            *os << "\\x" << "0123456789ABCDEF"[u >> 4] << "0123456789ABCDEF"[u & 15];
        else
            *os << c;
    }
    *os << '"';
}
