// savegame_fuzz: reads arbitrary bytes as saved games of story mode and of free play against a
// small configuration (one round of two cases, two free-play locations): once as a whole
// record, and once framed with a valid header, so the readers of the payload are reached.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/platform.h"
#include "core/foundation/file.h"
#include "controller/thegame.h"
#include "scene/binarybuffer.h"

namespace {

void AddFile(const char* name, const char* text)
{
  // The file system keeps the pointer: the texts are string literals.
  TFile::AddMemoryFile(name, const_cast<char*>(text), unsigned(std::strlen(text)));
}

TTheGame* Game()
{
  static TPlatform* platform = new TPlatform;
  (void)platform;
  static TTheGame* game = [] {
    AddFile(
        "configs/rounds_config.xml",
        "<rounds><round cinema=\"c\" time=\"60\"><cases>"
        "<case location_id=\"02_museum\"><SearchScreen ScreenClass=\"TSearchScreen\" SearchConfig=\"configs/s.xml\"/>"
        "<Puzzles SequenceClass=\"TSuspectPuzzleSequence\" ChecklistConfig=\"configs/c.xml\"/>"
        "<theories><t id=\"a\" icon=\"i\"/><t id=\"b\" icon=\"j\"/></theories></case>"
        "<case location_id=\"15_library\"><SearchScreen ScreenClass=\"TSearchScreen\"/></case>"
        "</cases></round></rounds>");
    AddFile("configs/c.xml", "<checklist_puzzle><suspects nums=\"0,2,4\"/></checklist_puzzle>");
    AddFile("configs/s.xml", "<search><objects><object id=\"key\"/><object id=\"map\"/></objects></search>");
    AddFile("configs/freeplay_config.xml",
            "<free_play><l id=\"34_zoo\" freeplayconfig=\"configs/s.xml\"/><l id=\"02_museum\"/></free_play>");
    TTheGame* made = TTheGame::GetInstance();
    made->LoadRoundsConfig();
    return made;
  }();
  return game;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
  TTheGame* game = Game();
  game->ApplySaveRecord(data, unsigned(size), kControllerStory);
  game->GetFreePlay().Init();
  game->ApplySaveRecord(data, unsigned(size), kControllerFreePlay);
  for (int mode : {int(kControllerStory), int(kControllerFreePlay)}) {
    TBinaryBuffer framed;
    TTheGame::FrameSaveRecord(mode, 0, data, unsigned(size), &framed);
    unsigned framedSize = 0;
    const unsigned char* bytes = static_cast<const unsigned char*>(framed.getData(&framedSize));
    game->GetFreePlay().Init();
    game->ApplySaveRecord(bytes, framedSize, mode);
  }
  return 0;
}
