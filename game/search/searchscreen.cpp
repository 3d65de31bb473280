// searchscreen: the search room's configuration, clicks found and missed, its list panel,
// free play's clock, scores, sounds, the case's theories and suspects, and its saved record.
#include "search/searchscreen.h"

#include <algorithm>
#include <cstdlib>

#include "core/foundation/xmlnode.h"
#include "core/script/luabind.h"
#include "core/foundation/random.h"
#include "screenbase/gamecontrol.h"
#include "screenbase/gamestates.h"
#include "shell/gamedefs.h"
#include "story/case.h"
#include "story/freeplaymode.h"
#include "screenbase/configuredscreen.h"
#include "media/musicmanager.h"
#include "screenbase/savestring.h"
#include "shell/shellglue.h"
#include "media/soundlevels.h"
#include "core/foundation/debug.h"
#include "core/sound/soundplayer.h"
#include "scene/binarybuffer.h"
#include "scene/scene.h"
#include "scene/sceneobject.h"
#include "scene/textobject.h"

namespace {

const char kScreenName[] = "Search room";
// A record that keeps the room's first entry begins with this word, which no configuration
// path's length can be; an older record begins with the path.
const uint32_t kEntryKeptMark = 0xFFFFFFFFu;

// The text of a list label: its string-table text, or the label itself.
str LabelText(const str& label)
{
  const str text = GameString(label);
  return text == "#####" ? label : text;
}

} // namespace

const char* const TSearchScreen::kRoomTracks[kRoomTrackCount] = {"audio/music/room_01.ogg", "audio/music/room_02.ogg",
                                                                 "audio/music/room_03.ogg"};

bool TSearchScreen::ReadEntries(const str& config)
{
  mConfig = config;
  mEntries.clear();
  TXmlNode document;
  TXmlNode* search = ReadScreenConfig(config, "search", &document, kScreenName);
  if (!search) {
    return false;
  }
  if (TXmlNode* objects = search->GetChild("objects")) {
    str tag;
    TXmlNode* element = nullptr;
    objects->ResetChildren();
    while (objects->GetNextChild(&tag, &element)) {
      TEntry entry;
      entry.mId = element->GetAttribute("id");
      entry.mLabel = element->GetAttribute("label");
      entry.mTheory = element->GetAttribute("theory");
      entry.mSuspect = std::atoi(element->GetAttribute("suspect").c_str());
      if (entry.mId.empty() || FindEntry(entry.mId)) {
        WriteDbg("ERROR: %s %s: an object without a name, or named twice, is left out", kScreenName, config.c_str());
        continue;
      }
      mEntries.push_back(entry);
    }
  }
  TXmlNode* sounds = search->GetChild("sounds");
  const str found = sounds ? sounds->GetAttribute("found") : str();
  const str miss = sounds ? sounds->GetAttribute("miss") : str();
  mFoundSoundName = found.empty() ? str(kFoundSound) : found;
  mMissSoundName = miss.empty() ? str(kMissSound) : miss;
  mFoundSound.reset();
  mMissSound.reset();
  return true;
}

bool TSearchScreen::LoadConfig(const str& config)
{
  mConfigured = true;
  const bool read = ReadEntries(config);
  LoadQueuedScenes();
  mRemaining.clear();
  for (const TEntry& entry : mEntries) {
    mRemaining.push_back(entry.mId);
  }
  DropUnseen();
  TGameControl* game = GetControl();
  mTimeLeft = game && game->GetGameMode() == kControllerFreePlay ? int32_t(game->GetFreePlayTime()) : -1;
  mMisses = 0;
  mCompleted = false;
  UpdatePanel();
  return read;
}

void TSearchScreen::DropUnseen()
{
  for (auto it = mRemaining.begin(); it != mRemaining.end();) {
    // An object the room does not show could never be found.
    if (!FindObject(*it)) {
      WriteDbg("ERROR: %s %s has no object %s to find", kScreenName, mConfig.c_str(), it->c_str());
      it = mRemaining.erase(it);
    } else {
      ++it;
    }
  }
}

const TSearchScreen::TEntry* TSearchScreen::FindEntry(const str& id) const
{
  for (const TEntry& entry : mEntries) {
    if (entry.mId == id) {
      return &entry;
    }
  }
  return nullptr;
}

void TSearchScreen::Activate()
{
  TSceneScreen::Activate();
  TGameControl* game = GetControl();
  const bool freePlay = game && game->GetGameMode() == kControllerFreePlay;
  if (!mConfigured) {
    if (freePlay) {
      LoadConfig(game->GetFreePlay().GetCurrentSearchConfig());
    } else if (TCase* current = game ? game->GetCurrentCase() : nullptr) {
      LoadConfig(current->mSearchConfig);
    } else {
      WriteDbg("ERROR: %s shown with no case and no free-play location", kScreenName);
      mConfigured = true;
    }
  }
  // Free play scores one room at a time: the room shown holds the points of its finds until
  // it is scored, after a trip to the map or a restart alike.
  if (freePlay) {
    game->SetScore("Object_Found", GetFoundCount() * game->GetObjectPoints());
  }
}

unsigned TSearchScreen::GetFoundCount() const
{
  unsigned found = 0;
  for (const TEntry& entry : mEntries) {
    // An object the room does not show was dropped, not found.
    if (FindObject(entry.mId) && std::find(mRemaining.begin(), mRemaining.end(), entry.mId) == mRemaining.end()) {
      ++found;
    }
  }
  return found;
}

void TSearchScreen::StartFading(unsigned time, bool fadeIn)
{
  TSceneScreen::StartFading(time, fadeIn);
  if (fadeIn) {
    StartMusic();
  }
}

void TSearchScreen::StartMusic()
{
  TGameControl* game = GetControl();
  if (!game) {
    return;
  }
  const str track = kRoomTracks[game->GetRandom().RandRange(0, int(kRoomTrackCount) - 1)];
  // Free play has no case and so no sting: its rooms start with a room track.
  TCase* current = game->GetGameMode() == kControllerStory ? game->GetCurrentCase() : nullptr;
  const str sting = current ? current->mLocationSting : str();
  GMusicManager* music = game->GetMusic();
  if (!mEntered && !sting.empty()) {
    music->PlayMusic(sting, true, false, track);
  } else {
    music->PlayMusic(track, true, true, "");
  }
  mEntered = true;
}

void TSearchScreen::PostLoadInit(TScene* scene, bool fromSave)
{
  lua_State* L = scene->GetScript().GetState();
  LuaBind(L, "BackToMap", this, &TSearchScreen::BackToMap);
  LuaBind(L, "PlayMetaPuzzle", this, &TSearchScreen::PlayMetaPuzzle);
}

void TSearchScreen::BackToMap()
{
  Report(evBackToMap);
}

void TSearchScreen::PlayMetaPuzzle()
{
  Report(evPlayMetaPuzzle);
}

void TSearchScreen::OnTick(double ms)
{
  TSceneScreen::OnTick(ms);
  if (!IsActive() || IsFading() || mCompleted || mTimeLeft < 0) {
    return;
  }
  mTimeLeft = ms >= mTimeLeft ? 0 : mTimeLeft - int32_t(ms);
  ShowClock(this, mTimeLeft);
  if (mTimeLeft == 0) {
    mCompleted = true;
    Report(evSearchTimeUp);
  }
}

bool TSearchScreen::OnMouseDown(const TPoint& point)
{
  if (!IsActive() || mCompleted) {
    return false;
  }
  TSceneObject* hit = HitTest(point);
  if (TSceneObject* listed = FindNamedAncestor(hit, mRemaining)) {
    if (const TEntry* entry = FindEntry(listed->GetId())) {
      ObjectFound(listed, *entry);
    }
    return true;
  }
  TSceneScreen::OnMouseDown(point);
  // Scenery answers with the miss; buttons of the room have actions of their own.
  bool button = false;
  for (TSceneObject* object = hit; object && !button; object = object->GetParent()) {
    button = object->GetAction(TSceneObject::kActionDown) || object->GetAction(TSceneObject::kActionUp);
  }
  if (!button) {
    Missed();
  }
  return true;
}

void TSearchScreen::ObjectFound(TSceneObject* object, const TEntry& entry)
{
  mRemaining.erase(std::find(mRemaining.begin(), mRemaining.end(), entry.mId));
  WriteDbg("%s: found %s, %u left", kScreenName, entry.mId.c_str(), unsigned(mRemaining.size()));
  SetStateOrHide(object, kDeletingState);
  object->setHitTest(false);
  TGameControl* game = GetControl();
  if (game) {
    game->AddScore("Object_Found", game->GetObjectPoints());
  }
  Play(mFoundSoundName, &mFoundSound);
  if (TCase* current = game && game->GetGameMode() == kControllerStory ? game->GetCurrentCase() : nullptr) {
    if (!entry.mTheory.empty()) {
      current->CheckTheory(entry.mTheory);
    }
    if (entry.mSuspect > 0) {
      current->SuspectFounded(unsigned(entry.mSuspect - 1));
    }
  }
  UpdatePanel();
  if (mRemaining.empty()) {
    mCompleted = true;
    if (game && mTimeLeft > 0) {
      game->AddScore("Extra_Time", uint32_t(mTimeLeft / 1000) * game->GetTimeBonusPoints());
    }
    Report(evSearchCompleted);
  }
}

void TSearchScreen::Missed()
{
  ++mMisses;
  Play(mMissSoundName, &mMissSound);
}

void TSearchScreen::Play(const str& name, boost::shared_ptr<TSound>* sound)
{
  if (!*sound) {
    *sound = TSoundPlayer::Get(name, false, kSoundTypeEffects);
  }
  TSoundPlayer::Play(*sound, false);
}

void TSearchScreen::UpdatePanel()
{
  for (unsigned slot = 1;; ++slot) {
    TTextObject* line = dynamic_cast<TTextObject*>(FindObject(str::getFormatted("list_%u", slot)));
    if (!line) {
      return;
    }
    const TEntry* entry = slot <= mRemaining.size() ? FindEntry(mRemaining[slot - 1]) : nullptr;
    line->setText(entry ? LabelText(entry->mLabel) : str());
  }
}

bool TSearchScreen::Save(TBinaryBuffer* buffer)
{
  buffer->WriteU32(kEntryKeptMark);
  buffer->WriteBool(mEntered);
  SaveString(buffer, mConfig);
  SaveStrings(buffer, mRemaining);
  buffer->WriteU32(mMisses);
  buffer->WriteI32(mTimeLeft);
  return TSceneScreen::Save(buffer);
}

bool TSearchScreen::LoadSaved(TBinaryBuffer* buffer)
{
  // A room in an older record had been shown: a room is made as it is shown.
  bool entered = true;
  const uint32_t start = buffer->mPosition;
  uint32_t mark = 0;
  if (buffer->ReadU32(&mark) && mark == kEntryKeptMark) {
    if (!buffer->ReadBool(&entered)) {
      buffer->Fail("search room entry");
      return false;
    }
  } else {
    buffer->mPosition = start;
  }
  str config;
  if (!LoadString(buffer, config) || !IsExpectedConfig(config, GetExpectedConfig(), buffer)) {
    return false;
  }
  ReadEntries(config);
  std::vector<str> names;
  for (const TEntry& entry : mEntries) {
    names.push_back(entry.mId);
  }
  uint32_t misses = 0;
  int32_t timeLeft = -1;
  if (!LoadNames(buffer, &mRemaining, names) || !buffer->ReadU32(&misses) || !buffer->ReadI32(&timeLeft)) {
    return false;
  }
  mMisses = misses;
  mEntered = entered;
  mTimeLeft = timeLeft < -1 ? -1 : timeLeft;
  mConfigured = true;
  mCompleted = mRemaining.empty();
  if (!TSceneScreen::LoadSaved(buffer)) {
    return false;
  }
  // The room was saved with every object left to find in its scenes (those the room lacks
  // were dropped when it was first set up): one that is missing is the record's damage, not
  // the configuration's.
  for (const str& name : mRemaining) {
    if (!FindObject(name)) {
      buffer->Fail("of a search room (an object left to find is not in its scenes)");
      return false;
    }
  }
  UpdatePanel();
  return true;
}
