// venues: the venue tables, filled at program start, and their lookups by location id.
#include "story/venues.h"

std::map<str, int> gVenuesMap;
std::map<str, int> gVenuesTypesMap;

namespace {

// The ids are the data's keys, spelling and all.
struct TVenueRow
{
  const char* id;
  int venue; // -1: no venue number
  int type;
};

const TVenueRow kVenues[] = {
    {"02_museum", 0, 0},   {"14_supermarket", 2, 1}, {"23_refuge", 6, 1},       {"34_zoo", 3, 2},
    {"17_ gym", 4, 2},     {"11_restaurant", 5, 0},  {"07_big", 7, 2},          {"09_big", 7, 2},
    {"03_cinema", 8, 2},   {"15_library", -1, 0},    {"24_schooll", 1, 0},      {"30_store", -1, 0},
    {"36_park", -1, 0},    {"31_laondromat", 9, 0},  {"33_resedential", -1, 0}, {"04_cinema", 8, 2},
    {"08_big", 7, 2},      {"18_ gym", 4, 2},        {"25_schooll", 1, 0},      {"29_store", -1, 0},
    {"35_aquarium", 3, 2},
};

struct TVenueTablesInit
{
  TVenueTablesInit()
  {
    fiilVenueTable();
    fiilVenueTypesTable();
  }
} gVenueTablesInit;

int Lookup(const std::map<str, int>& table, const str& locationId)
{
  auto found = table.find(locationId);
  return found == table.end() ? 0 : found->second;
}

} // namespace

void fiilVenueTable()
{
  for (const TVenueRow& row : kVenues) {
    if (row.venue >= 0) {
      gVenuesMap.insert(std::make_pair(str(row.id), row.venue));
    }
  }
}

void fiilVenueTypesTable()
{
  for (const TVenueRow& row : kVenues) {
    gVenuesTypesMap.insert(std::make_pair(str(row.id), row.type));
  }
}

int GetVenue(const str& locationId)
{
  return Lookup(gVenuesMap, locationId);
}

int GetVenueType(const str& locationId)
{
  return Lookup(gVenuesTypesMap, locationId);
}
