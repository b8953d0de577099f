#include "windows.h"

#include "document/plugfrm.h"
#include "files/createaifrm.h"
#include "help/helpfrm.h"
#include "help/previewfrm.h"
#include "optfrm.h"
#include "rules/addact.h"
#include "rules/addfact.h"
#include "rules/addfactmain.h"

namespace Windows {

void unloadAtTerminate()
{
    AddFact::unload();
    AddFactMain::unload();
    AddAct::unload();
    CreateAIFrm::unload();
    OptFrm::unload();
    PlugFrm::unload();
    PreviewFrm::unload();
    HelpFrm::unload();
}

void unloadAtEditorClose()
{
    AddFact::unload();
    AddFactMain::unload();
    CreateAIFrm::unload();
    OptFrm::unload();
    PlugFrm::unload();
    PreviewFrm::unload();
    AddAct::unload();
}

} // namespace Windows
