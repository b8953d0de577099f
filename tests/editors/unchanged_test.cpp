// A dialog opened on a row and confirmed without a change gives the row
// back as it was, whatever the catalogues say, and a change keeps the rest
// as written (what would break the line is the line editors' tests).
#include "document/plugfrm.h"
#include "document/scriptdocument.h"
#include "document/scriptlistview.h"
#include "rules/addact.h"
#include "rules/addfact.h"
#include "testsupport.h"

#include <QPlainTextEdit>
#include <set>

using namespace TestSupport;

namespace {
// Runs run; the text of a message box it brings, answered with answer or
// closed ("" when none comes).
QString anyMessageDuring(const std::function<void()> &run, const QString &answer = {})
{
    QString text;
    QTimer watch;
    watch.setInterval(5);
    QObject::connect(&watch, &QTimer::timeout, [&text, answer] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            text = box->text();
            for (QAbstractButton *b : box->buttons())
                if (b->text() == answer)
                    return b->click();
            box->done(0);
        }
    });
    watch.start();
    run();
    return text;
}

using Unchanged = EditorTest;

// Editer on row pos, then OK (the dialog's default button) as the dialog
// opens; a question about a part kept as read is answered "Oui" first. What a
// box said after OK, if any.
QString editAsIs(PlugFrm &f, int pos, bool asked)
{
    clickRow(f, pos);
    QString said = "<no dialog>";
    if (asked)
        answerNextMessage(nullptr, nullptr, "Oui");
    onNextModal([&said](QWidget *w) {
        const QList<QPushButton *> buttons = w->findChildren<QPushButton *>();
        const auto ok = std::find_if(buttons.begin(), buttons.end(), [](QPushButton *b) { return b->isDefault(); });
        ASSERT_NE(ok, buttons.end()) << w->metaObject()->className();
        said = anyMessageDuring([ok] { click(*ok); });
        if (w->isVisible())
            static_cast<QDialog *>(w)->reject();
    });
    click(f.Command3);
    return said;
}

const std::set<LineKind> Editable = {LineKind::CommN, LineKind::CommE, LineKind::Const, LineKind::Load,
                                     LineKind::RLoad,  LineKind::Prep,  LineKind::Act,   LineKind::Fact};
} // namespace

TEST_F(Unchanged, EditThenOkOnEveryRowOfTheCorpusKeepsEveryByte)
{
    const QStringList scripts = QDir(VARDELO_TEST_DATA).entryList({"*.per"}, QDir::Files, QDir::Name);
    ASSERT_GE(scripts.size(), 7);
    for (const QString &script : scripts) {
        SCOPED_TRACE(script.toStdString());
        const QByteArray bytes = contents(QDir(VARDELO_TEST_DATA).filePath(script));
        PlugFrm &f = open(bytes);
        const QStringList before = rows(f);
        std::set<int> asked;
        for (int pos = 1; pos <= f.ListView1->count(); ++pos) {
            if (!Editable.count(f.ListView1->rows().kind(pos)))
                continue;
            const int kept = f.ListView1->rows().keptFormAt(pos);
            const bool ask = kept != ScriptLine::NoForm && asked.insert(kept).second;
            EXPECT_EQ(editAsIs(f, pos, ask), "") << "row " << pos << ": " << rows(f).value(pos - 1).toStdString();
        }
        EXPECT_EQ(rows(f), before);
        EXPECT_FALSE(f.document().isModified());
        anyMessageDuring([&f] { f.SaveFile->trigger(); }, "Oui"); // open blocks saved as they are
        EXPECT_EQ(contents(path), bytes);
    }
}

TEST_F(Unchanged, ChangingOneValueKeepsTheOthersAsWritten)
{
    PlugFrm &f = open("(defrule\r\n\t(saison hiver)\r\n\t(stock ble < seuil-ble)\r\n=>\r\n"
                      "\t(envoyer-serfs foret 4)\r\n)\r\n");
    // an action whose first value the list does not offer: only 4 changes
    edit(f, 4, [](AddAct &d) {
        EXPECT_EQ(d.combo_param_1->currentText(), "foret");
        EXPECT_EQ(d.combo_param_2->currentText(), "4");
        d.combo_param_2->setEditText("5");
    });
    // a fact no catalogue names: under its own name, its value typed
    edit(f, 2, [](AddFact &d) {
        EXPECT_EQ(d.Combo1->currentText(), "saison (absent du catalogue)");
        EXPECT_TRUE(d.Text2->toPlainText().contains("n'est dans aucune entrée du catalogue"));
        EXPECT_EQ(d.text_combo_1->text(), "hiver");
        d.text_combo_1->setText("printemps");
    });
    // a constant for a value, negated: the rest of the line stays
    edit(f, 3, [](AddFact &d) {
        EXPECT_EQ(d.combo_param_3->currentText(), "seuil-ble");
        d.Check1->setChecked(true);
    });
    EXPECT_EQ(rows(f).mid(1, 3), (QStringList{"Fact|saison printemps", "Fact|Inverse de stock ble < seuil-ble",
                                              "Act|envoyer-serfs foret 5"}));
}
