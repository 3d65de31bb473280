// venues: the tables that turn a story case's location id into the venue number and venue
// type the game reports to the analytics store.
#pragma once

#include <map>

#include "core/foundation/str.h"

extern std::map<str, int> gVenuesMap;
extern std::map<str, int> gVenuesTypesMap;

void fiilVenueTable();
void fiilVenueTypesTable();

// Of a story case's location id; 0 for an unknown location.
int GetVenue(const str& locationId);
int GetVenueType(const str& locationId);
