// URIs mapped to the small numbers LV2 plug-ins and hosts exchange, one table
// for the whole process: every instance sees the same numbers, as plug-ins
// expect of a host. Batch jobs map from several threads at once, so the
// table takes a lock; plug-ins map while they are made, not while they run.
#pragma once

#include <lv2/urid/urid.h>

LV2_URID_Map* uridMap();
LV2_URID_Unmap* uridUnmap();
LV2_URID mapUri(const char* uri);
