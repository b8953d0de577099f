#include "windows.h"

#include "document/plugfrm.h"
#include "files/createaifrm.h"
#include "help/helpfrm.h"
#include "help/previewfrm.h"
#include "optfrm.h"

namespace Windows {

void unloadAtTerminate()
{
    CreateAIFrm::unload();
    OptFrm::unload();
    PlugFrm::unload();
    PreviewFrm::unload();
    HelpFrm::unload();
}

void unloadAtEditorClose()
{
    CreateAIFrm::unload();
    OptFrm::unload();
    PlugFrm::unload();
    PreviewFrm::unload();
}

} // namespace Windows
