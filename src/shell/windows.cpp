#include "windows.h"

#include "document/plugfrm.h"

namespace Windows {

void unloadAtTerminate()
{
    PlugFrm::unload();
}

void unloadAtEditorClose()
{
    PlugFrm::unload();
}

} // namespace Windows
