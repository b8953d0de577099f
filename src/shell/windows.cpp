#include "windows.h"

#include "document/plugfrm.h"
#include "files/createaifrm.h"
#include "help/helpfrm.h"
#include "help/previewfrm.h"
#include "optfrm.h"
#include "editors/addcomm.h"
#include "editors/addconst.h"
#include "editors/addprepross.h"
#include "rules/addact.h"
#include "rules/addfact.h"
#include "rules/addfactmain.h"

namespace Windows {

void unloadAtTerminate()
{
    AddComm::unload();
    AddConst::unload();
    AddFact::unload();
    AddFactMain::unload();
    AddPrepross::unload();
    AddAct::unload();
    CreateAIFrm::unload();
    OptFrm::unload();
    PlugFrm::unload();
    PreviewFrm::unload();
    HelpFrm::unload();
}

void unloadAtEditorClose()
{
    AddComm::unload();
    AddConst::unload();
    AddFact::unload();
    AddFactMain::unload();
    AddPrepross::unload();
    CreateAIFrm::unload();
    OptFrm::unload();
    PlugFrm::unload();
    PreviewFrm::unload();
    AddAct::unload();
}

} // namespace Windows
