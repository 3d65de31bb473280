// e2estory: the story's road as input steps, shared by the story's end-to-end tests and the
// fault driver: where things are drawn on the frame, the dialogs' steps, the way into a room.
#pragma once

#include <fstream>
#include <iterator>
#include <string>

// Where things are drawn on the 800 x 600 frame.
struct TSpot
{
  const char* id;
  int x, y;
};

// The things of each room's list, at a pixel of their pictures.
const TSpot kMuseumThings[] = {{"glove", 692, 386}, {"umbrella", 148, 288}, {"spectacles", 537, 302},
                               {"key", 526, 472},   {"ticket", 318, 470},   {"pipe", 196, 466}};
const TSpot kLibraryThings[] = {{"scissors", 96, 378},    {"ink_bottle", 446, 220}, {"candle", 505, 252},
                                {"bowler_hat", 742, 462}, {"lantern", 238, 392},    {"letter", 570, 452}};
// The overlay's dialogs: waits until one has faded in, its Continue, and the wait until it
// has faded out again. Steps wait for log lines, not times: the game's time runs slower
// than the clock when frames are slow (a sanitizer build).
const char kDialogShown[] = "until Screen faded in: TOverlayScreen\n";
// A screen opened from the journal takes clicks once the journal has faded out behind it.
const char kJournalGone[] = "until Journal closed\n";
const char kDialogContinue[] = "click 396 412\nuntil PostEvent: evDialogClosed\n";
// The journal's step buttons, the case-solved way back.
const char kJournalSearch[] = "click 130 564\n";
const char kJournalSuspects[] = "click 320 564\n";
const char kJournalChecklist[] = "click 510 564\n";
const char kSolvedContinue[] = "click 400 562\n";
// The room's and the journal's way back to the map, the library's torn letter.
const char kRoomToMap[] = "click 714 569\n";
const char kJournalToMap[] = "click 704 563\n";
const char kTornLetter[] = "click 700 30\n";
// Story at a later start: a story taken up again asks nothing.
const std::string kResumeStory = "until game: main menu shown\nwait 300\nclick 400 193\n";
// Out of the way of everything a frame is checked for.
const char kMouseAway[] = "move 400 560\n";

inline std::string Click(const TSpot& spot)
{
  return "click " + std::to_string(spot.x) + " " + std::to_string(spot.y) + "\n";
}

// From the story's map into the library's room the first time: its intro, the journal's
// first tip, the journal's way to the room and the room's intro.
inline std::string MapToLibraryRoom()
{
  return "click 610 180\nuntil Overlay show dialog: library_intro\n" + std::string(kDialogShown) + kDialogContinue +
         "until Tutorial: journal_search_tutorial\nwait 300\nclick 600 450\nwait 300\n" + kJournalSearch +
         "until Overlay show dialog: library_search_intro\n" + kDialogShown + kJournalGone + kDialogContinue +
         kMouseAway + "wait 300\n";
}

// The same at a later start, the case and its tip already seen: the journal opens at once.
inline std::string MapToLibraryRoomAgain()
{
  return "click 610 180\nuntil to stJournal\nuntil Journal open\nwait 300\n" + std::string(kJournalSearch) +
         "until Overlay show dialog: library_search_intro\n" + kDialogShown + kJournalGone + kDialogContinue +
         kMouseAway + "wait 300\n";
}

// Gives the game's layer in a copy of the data a handler on the key L (the step "text l")
// that logs "game: spinning" and then catches its stop and loops again, for ever. False when
// the main loop script is not the one this knows.
inline bool AddCatchingHandler(const std::string& resources)
{
  const std::string mainloop = resources + "/assets/scripts/mainloop.lua";
  std::ifstream in(mainloop, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::string window = "GameWindow { name = \"gamewindow\", x = 0, y = 0, w = 800, h = 600 },";
  const std::string shown = "GameLog( \"game window shown\" )";
  if (text.find(window) == std::string::npos || text.find(shown) == std::string::npos) {
    return false;
  }
  text.replace(text.find(window), window.size(),
               window + "\n    Button { name = \"spin\", x = 0, y = 0, w = 1, h = 1 },");
  text.replace(text.find(shown), shown.size(),
               shown + "\n  SetCommand( \"spin\", function() GameLog( \"spinning\" ) while true do "
                       "pcall( function() while true do end end ) end end )\n  RegisterHotkey( \"@L\", \"spin\" )");
  std::ofstream(mainloop, std::ios::trunc) << text;
  return true;
}
