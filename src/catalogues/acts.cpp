#include "acts.h"

void Acts::LoadActs()
{
    ActCount = qint16(Catalogues::loadRecords(FileName, Marker, ActTable));
}
