#pragma once

// What the file command tests share: how a row is drawn.
#include "document/plugfrm.h"
#include "document/scriptlistview.h"
#include "testsupport.h"

#include <QFont>

namespace FileTests {

inline QVariant shown(PlugFrm &f, int pos, int role)
{
    const ScriptModel &m = f.ListView1->rows();
    return m.data(m.index(pos - 1), role);
}
inline bool italic(PlugFrm &f, int pos) { return TestSupport::drawnAs(f, pos).font.italic(); }
inline QString tooltip(PlugFrm &f, int pos) { return shown(f, pos, Qt::ToolTipRole).toString(); }
// Label2 under the list, empty while it is hidden.
inline QString keptNote(PlugFrm &f) { return f.Label2->isHidden() ? QString() : f.Label2->text(); }

} // namespace FileTests
