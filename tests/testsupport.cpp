#include "testsupport.h"

#include "document/rowdelegate.h"

#include "document/scriptdocument.h"
#include "document/scriptproblems.h"

#include "document/plugfrm.h"
#include "document/scriptdocument.h"
#include "document/scriptlistview.h"
#include "rules/addfactmain.h"
#include "catalogues/records.h"
#include "shell/fileservices.h"
#include "shell/options.h"
#include "shell/pluginfolder.h"
#include "shell/plg.h"

namespace TestSupport {

PlugFrm &openEditor()
{
    static Plg *control = nullptr;
    if (!control) {
        control = new Plg;
        control->show();
    }
    click(control->Command1);
    return PlugFrm::instance();
}

QStringList rows(const PlugFrm &frm)
{
    QStringList out;
    const ScriptModel &m = frm.ListView1->rows();
    for (int i = 1; i <= m.count(); ++i)
        out << kindTag(m.kind(i)) + QLatin1Char('|') + m.text(i);
    return out;
}

QRgb colourOf(const PlugFrm &frm, int pos) { return frm.ListView1->rows().line(pos).colour; }

QStyleOptionViewItem drawnAs(const PlugFrm &frm, int pos)
{
    // the list's own delegate class, asked as it is when it draws
    struct Probe : RowDelegate {
        QStyleOptionViewItem of(const QModelIndex &index) const
        {
            QStyleOptionViewItem option;
            initStyleOption(&option, index);
            return option;
        }
    };
    const ScriptModel &rows = frm.ListView1->rows();
    return Probe().of(rows.index(pos - 1));
}

void add(PlugFrm &frm, const QString &kind) { choose(frm.Combo1, kind); click(frm.Ajouter); }
void insert(PlugFrm &frm, const QString &kind) { choose(frm.Combo1, kind); click(frm.Command1); }

void clickRow(PlugFrm &frm, int pos)
{
    ScriptListView *v = frm.ListView1;
    const QModelIndex idx = v->rows().index(pos - 1);
    v->scrollTo(idx);
    QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, v->visualRect(idx).center());
}

void edit(PlugFrm &frm, int pos) { clickRow(frm, pos); click(frm.Command3); }

AddFactMain &openComposer(PlugFrm &frm)
{
    add(frm, "Règle");
    AddFactMain *c = AddFactMain::loaded();
    EXPECT_TRUE(c && c->isVisible());
    return *c;
}

void compose(QRadioButton *option, QPushButton *command)
{
    tick(option);
    ASSERT_TRUE(option->isChecked());
    click(command);
}

CatalogueFolder::CatalogueFolder() : saved(PluginFolder::path())
{
    PluginFolder::setPath(dir.path());
    Catalogues::clearProblems();
}

CatalogueFolder::~CatalogueFolder() { PluginFolder::setPath(saved); }

void CatalogueFolder::write(const QString &name, const QString &text)
{
    writeFile(dir.filePath(name), FileServices::encode1252(text));
}

void EditorTest::TearDown()
{
    if (PlugFrm *f = PlugFrm::loaded()) {
        f->document().setModified(false);
        PlugFrm::unload();
        QApplication::processEvents();
    }
}

PlugFrm &EditorTest::editor()
{
    PlugFrm &f = openEditor();
    Options::CompanionFilePolicy = 3;
    Options::DefaultFolder = dir.path();
    return f;
}

PlugFrm &EditorTest::open(const QByteArray &bytes)
{
    writeFile(path, bytes);
    return reopen();
}

PlugFrm &EditorTest::reopen()
{
    PlugFrm &f = editor();
    f.document().setModified(false); // rows left unsaved by the test are dropped unasked
    chooseFile(path);
    f.OpenFile->trigger();
    // its problems come once the rest of its AI is read
    EXPECT_TRUE(QTest::qWaitFor([&f] { return !f.document().problems().findingAi(); }));
    QApplication::processEvents();
    return f;
}

} // namespace TestSupport
