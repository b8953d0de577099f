// The editor window's commands on the selected rows.
#include "document/plugfrm.h"

#include "document/rowcommands.h"
#include "catalogues/vocabulary.h"

void PlugFrm::buildRowCommands()
{
    m_rowCommands = new RowCommands(*this, EditMnu);
}

const Vocabulary &PlugFrm::vocabulary()
{
    if (!m_vocabulary)
        m_vocabulary = std::make_unique<Vocabulary>(Vocabulary::fromCatalogues());
    return *m_vocabulary;
}
