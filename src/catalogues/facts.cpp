#include "facts.h"

void Facts::LoadFacts()
{
    FactCount = qint16(Catalogues::loadRecords(FileName, Marker, FactTable));
}
