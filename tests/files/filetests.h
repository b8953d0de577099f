#pragma once

// What the file command tests share: the text "Prévisualiser" shows, and how
// a row is drawn.
#include "document/plugfrm.h"
#include "document/scriptlistview.h"
#include "help/previewtext.h"
#include "testsupport.h"

#include <QFont>
#include <QPlainTextEdit>

namespace FileTests {

// The text "Prévisualiser" shows (its line ends read as "\n").
inline QString preview(PlugFrm &f)
{
    QString shown;
    TestSupport::onNextModal([&](QWidget *w) {
        EXPECT_EQ(w->windowTitle(), "Prévisualisation");
        shown = w->findChild<PreviewText *>()->toPlainText();
        w->close();
    });
    TestSupport::click(f.Command2);
    return shown;
}

inline QVariant shown(PlugFrm &f, int pos, int role)
{
    const ScriptModel &m = f.ListView1->rows();
    return m.data(m.index(pos - 1), role);
}
inline bool italic(PlugFrm &f, int pos) { return shown(f, pos, Qt::FontRole).value<QFont>().italic(); }
inline QString tooltip(PlugFrm &f, int pos) { return shown(f, pos, Qt::ToolTipRole).toString(); }
// Label2 under the list, empty while it is hidden.
inline QString keptNote(PlugFrm &f) { return f.Label2->isHidden() ? QString() : f.Label2->text(); }

} // namespace FileTests
