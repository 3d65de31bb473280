// venues: the tables that turn a story case's location id into the venue number and venue
// type the game reports to the analytics store.
#pragma once

#include <map>

#include "core/foundation/str.h"

extern std::map<str, int> gVenuesMap;
extern std::map<str, int> gVenuesTypesMap;

void fiilVenueTable();
void fiilVenueTypesTable();

// Of the current case of the game controller's current round; 0 for an unknown location
// or when there is no current case.
int getCurrentCaseVenue();
int getCurrentCaseVenueType();
