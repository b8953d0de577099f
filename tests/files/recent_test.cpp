// The window's surroundings: the status bar, the recent files of "Fichier",
// a script dropped on the window, and the busy cursor left behind.
#include "filetests.h"
#include "document/scriptdocument.h"
#include "files/recentfilesmenu.h"
#include "document/scriptstatusbar.h"
#include "help/previewtext.h"

#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QScreen>
#include <QSettings>
#include <QUrl>

using namespace TestSupport;
using namespace FileTests;

namespace {
class WindowExtras : public EditorTest
{
protected:
    // No recent files left by an earlier test of the same run.
    WindowExtras() { QSettings(QSettings::UserScope, "Quorrin", "Quorrin").remove("Lumbrel/RecentFiles"); }
    // A small script file of its own in the test's folder.
    QString script(const QString &name, const QByteArray &bytes = "(defconst a 1)\r\n")
    {
        writeFile(dir.filePath(name), bytes);
        return dir.filePath(name);
    }
};

// The status bar's sections, once pending updates are shown.
QStringList status(PlugFrm &f)
{
    QApplication::processEvents();
    const ScriptStatusBar &s = *f.StatusBar1;
    return {s.FileName->text(), s.Modified->text(), s.Rows->text(), s.Encoding->text(), s.LineEnds->text()};
}

QStringList recentEntries(PlugFrm &f)
{
    QStringList texts;
    for (QAction *a : f.RecentMnu->actions())
        if (a->isVisible())
            texts << a->text();
    return texts;
}

QString entry(int n, const QString &path)
{
    return QStringLiteral("&%1 %2").arg(n).arg(QDir::toNativeSeparators(path));
}

// Drags the files over the list and drops them there, as the window system
// does (the list passes them on to the window); returns whether the drop
// was taken.
bool drop(PlugFrm &f, const QStringList &paths)
{
    QMimeData data;
    QList<QUrl> urls;
    for (const QString &p : paths)
        urls << QUrl::fromLocalFile(p);
    data.setUrls(urls);
    QWidget *list = f.ListView1->viewport();
    const QPoint at(20, 20);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list, &dropped);
    QTest::qWait(30); // the file opens once the drop is over
    return dropped.isAccepted();
}
} // namespace

TEST_F(WindowExtras, StatusBarShowsTheScriptAndTheWindowFitsTheScreen)
{
    PlugFrm &f = editor();
    EXPECT_EQ(status(f), (QStringList{"Sans titre", "", "0 rangée", "Windows-1252", "CR LF"}));
    const QRect room = f.screen()->availableGeometry();
    EXPECT_TRUE(room.contains(f.frameGeometry())) << f.frameGeometry().width() << "x" << f.frameGeometry().height();

    const std::tuple<QString, QByteArray, QStringList> cases[] = {
        {"ansi.per", "(defconst bl\xe9 1)\r\n\r\n(defconst b 2)\r\n", {"ansi.per", "", "3 lignes, 3 rangées", "Windows-1252", "CR LF"}},
        {"bom.per", "\xEF\xBB\xBF(defconst a 1) ; un\n(defconst b 2)\n", {"bom.per", "", "2 lignes, 3 rangées", "UTF-8 avec BOM", "LF"}},
        {"mac.per", "(defconst bl\xc3\xa9 1)\r", {"mac.per", "", "1 ligne, 1 rangée", "UTF-8", "CR"}},
    };
    for (const auto &[name, bytes, shown] : cases) {
        chooseFile(script(name, bytes));
        f.OpenFile->trigger();
        EXPECT_EQ(status(f), shown) << name.toStdString();
    }

    clickRow(f, 1);
    click(f.Command4); // Supprimer
    EXPECT_EQ(status(f), (QStringList{"mac.per", "Modifié", "1 ligne, 0 rangée", "UTF-8", "CR"}));
    f.SaveFile->trigger();
    EXPECT_EQ(status(f), (QStringList{"mac.per", "", "0 ligne, 0 rangée", "UTF-8", "CR"}));
    f.NewFile->trigger();
    EXPECT_EQ(status(f).first(), "Sans titre");
}

// (The list's order and length are the file commands' tests.)
TEST_F(WindowExtras, RecentFilesShowInTheMenuOpenAndForgetAMissingOne)
{
    PlugFrm &f = editor();
    EXPECT_FALSE(f.RecentMnu->isEnabled()); // nothing yet
    QStringList paths;
    for (int i = 1; i <= 4; ++i)
        paths << script(QStringLiteral("ia%1.per").arg(i));
    QString error;
    for (const QString &p : paths.mid(0, 3))
        ASSERT_TRUE(f.document().open(p, error));
    chooseFile(paths[3]);
    f.OpenFile->trigger();
    EXPECT_EQ(recentEntries(f),
              (QStringList{entry(1, paths[3]), entry(2, paths[2]), entry(3, paths[1]), entry(4, paths[0])}));

    // an entry opens its file, after the unsaved-work question
    f.insertRow(0, "Constante: b = 2", qRgb(0, 0, 255), LineKind::Const);
    answerNextMessage(nullptr, nullptr, "Non");
    f.RecentMnu->actions()[2]->trigger();
    EXPECT_EQ(f.document().currentFile(), paths[1]);
    EXPECT_EQ(recentEntries(f).mid(0, 2), (QStringList{entry(1, paths[1]), entry(2, paths[3])}));
    // saving under a new name puts it first
    const QString saved = dir.filePath("nouveau.per");
    chooseFile(saved);
    f.SaveFileAs->trigger();
    EXPECT_EQ(recentEntries(f).first(), entry(1, saved));

    // a file gone: a message (the file commands' tests check it), its entry
    // goes from under the command that runs, the script stays
    ASSERT_TRUE(QFile::remove(paths[3]));
    const QStringList before = rows(f);
    answerNextMessage(nullptr, nullptr, "OK");
    f.RecentMnu->actions()[2]->trigger();
    EXPECT_EQ(recentEntries(f), (QStringList{entry(1, saved), entry(2, paths[1]), entry(3, paths[2]), entry(4, paths[0])}));
    EXPECT_EQ(rows(f), before);
    EXPECT_EQ(f.document().currentFile(), saved);

    // kept in the settings: a new window lists the same files
    f.close();
    EXPECT_EQ(recentEntries(editor()).size(), 4);
}

TEST_F(WindowExtras, DroppingAPerFileOpensItAndLeavesNoBusyCursor)
{
    PlugFrm &f = editor();
    const QString first = script("depose.per", "(defconst a 1)\r\n");
    const QString second = script("autre.PER", "(defconst b 2)\r\n(defconst c 3)\r\n");
    EXPECT_TRUE(drop(f, {first})); // nothing unsaved: no question
    EXPECT_EQ(rows(f), QStringList{"Const|Constante: a = 1"});
    // the question and the refusals are the file commands' tests
    f.insertRow(0, "Constante: b = 2", qRgb(0, 0, 255), LineKind::Const);
    answerNextMessage(nullptr, nullptr, "Non");
    EXPECT_TRUE(drop(f, {second}));
    EXPECT_EQ(f.document().currentFile(), second);
    EXPECT_EQ(f.ListView1->count(), 2);
    EXPECT_EQ(recentEntries(f).first(), entry(1, second));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(WindowExtras, PreviewShowsTheExactTextAndCopiesWhatIsSelected)
{
    PlugFrm &f = open("(defrule\r\n\t(stock bl\xe9 5)\r\n=>\r\n\t(dire \"\x80\")\r\n)\r\n");
    onNextModal([&](QWidget *w) {
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        auto *text = w->findChild<PreviewText *>();
        EXPECT_EQ(text->text(), "(defrule\r\n\t(stock blé 5)\r\n=>\r\n\t(dire \"€\")\r\n)\r\n");
        EXPECT_EQ(text->lineCount(), 6);
        QTest::keyClick(text, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(text, Qt::Key_C, Qt::ControlModifier);
        EXPECT_EQ(QApplication::clipboard()->text(), "(defrule\n\t(stock blé 5)\n=>\n\t(dire \"€\")\n)\n");
        // from after the tab of the second line (tabs stop every 8 columns)
        // to after "\t(dire" on the fourth, the end by a Maj+click
        const int column = text->fontMetrics().horizontalAdvance(QLatin1Char('M'));
        const int line = text->fontMetrics().lineSpacing();
        QTest::mouseClick(text->viewport(), Qt::LeftButton, {}, QPoint(4 + 8 * column, line + line / 2));
        QTest::mouseClick(text->viewport(), Qt::LeftButton, Qt::ShiftModifier, QPoint(4 + 13 * column, 3 * line + line / 2));
        EXPECT_EQ(text->selectedText(), "(stock blé 5)\n=>\n\t(dire");
        w->close();
    });
    click(f.Command2);

    // a deleted row's text gone from its part, the file untouched
    open("(defrule  (x 1)\n=> (a))\n\t; fin");
    clickRow(f, 2);
    click(f.Command4);
    onNextModal([](QWidget *w) {
        EXPECT_EQ(w->windowTitle(), "Prévisualisation");
        EXPECT_EQ(w->findChild<PreviewText *>()->toPlainText(), "(defrule\n=> (a))\n\t; fin");
        w->close();
    });
    click(f.Command2);
    EXPECT_EQ(contents(path), "(defrule  (x 1)\n=> (a))\n\t; fin");
}
