// gamesave: saved games: the game's state, its scores, and the round's record (story) or
// free play's record, framed by a header and a checksum, as one binary value per mode in
// the current player's preferences, with a debug copy in the user folder.
#include <algorithm>
#include <cstring>
#include <vector>

#include "core/foundation/asset.h"
#include "core/foundation/atomicfile.h"
#include "core/foundation/file.h"
#include "core/foundation/prefsdb.h"
#include "story/gameround.h"
#include "screenbase/savestring.h"
#include "shell/settings.h"
#include "controller/thegame.h"
#include "core/foundation/debug.h"
#include "scene/binarybuffer.h"
#include "scene/texturemanager.h"

namespace {

// "QSB1" in the file's byte order.
const uint32_t kSaveMagic = 0x31425351;
const unsigned kHeaderSize = 20;
const char kStoryDebugCopy[] = "user:test_gamesave.dat";
const char kFreePlayDebugCopy[] = "user:freeplay_test_gamesave.dat";

uint32_t Crc32(const unsigned char* data, size_t size)
{
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
  }
  return ~crc;
}

const char* SaveKey(int mode)
{
  return mode == kControllerFreePlay ? TTheGame::kFreePlaySaveKey : TTheGame::kStorySaveKey;
}

// The preferences hold exactly this record for the player, committed.
bool PrefsHold(TPrefsDB* prefs, const char* key, int player, const void* bytes, unsigned size)
{
  if (prefs->HasUnsavedChanges() || prefs->GetBinary(key, nullptr, 0, player) != int(size)) {
    return false;
  }
  std::vector<unsigned char> stored(size);
  return prefs->GetBinary(key, stored.data(), size, player) == 0 && std::memcmp(stored.data(), bytes, size) == 0;
}

// The file holds exactly these bytes.
bool FileHolds(const char* name, const void* bytes, unsigned size)
{
  TFile file;
  if (!TFile::Exists(name) || !file.Open(name, kFileRead) || file.Size() != size) {
    return false;
  }
  std::vector<unsigned char> held(size);
  return file.Read(held.data(), size) == size && std::memcmp(held.data(), bytes, size) == 0;
}

} // namespace

bool TTheGame::BuildSaveRecord(TBinaryBuffer* out)
{
  const int mode = mGameMode;
  TBinaryBuffer payload;
  payload.WriteI32(mState);
  SaveScores(&payload, mScores);
  bool saved = false;
  if (mode == kControllerStory && GetCurrentRound()) {
    saved = GetCurrentRound()->Save(&payload);
    // Last, so that a record written before the clock existed still reads.
    payload.WriteI32(mRoundTimeLeft);
  } else if (mode == kControllerFreePlay) {
    saved = mFreePlay.Save(&payload);
  }
  if (!saved || payload.Failed()) {
    return false;
  }
  unsigned int size = 0;
  const unsigned char* bytes = static_cast<const unsigned char*>(payload.getData(&size));
  FrameSaveRecord(mode, mode == kControllerStory ? mCurrentRound : -1, bytes, size, out);
  return !out->Failed();
}

void TTheGame::FrameSaveRecord(int mode, int round, const unsigned char* payload, unsigned size, TBinaryBuffer* out)
{
  out->WriteU32(kSaveMagic);
  out->WriteU32(uint32_t(mode));
  out->WriteI32(round);
  out->WriteU32(size);
  out->WriteU32(Crc32(payload, size));
  out->Write(payload, size);
}

bool TTheGame::SaveGame()
{
  if (mGameMode != kControllerStory && mGameMode != kControllerFreePlay) {
    return false;
  }
  if (mGameMode == kControllerStory && !GetCurrentRound()) {
    return false;
  }
  int player = TSettings::kGlobalUser;
  TPrefsDB* prefs = PlayerPrefs(&player);
  if (!prefs) {
    WriteDbg("ERROR: No player to save the game for");
    return false;
  }
  TBinaryBuffer record;
  if (!BuildSaveRecord(&record)) {
    WriteDbg("ERROR: The game could not be saved: a screen's record failed");
    return false;
  }
  unsigned int size = 0;
  const void* bytes = record.getData(&size);
  // The record already kept (a round just resumed shows its map) is not written again: the
  // disk keeps what it has and the player is spared its syncs.
  const char* copy = mGameMode == kControllerFreePlay ? kFreePlayDebugCopy : kStoryDebugCopy;
  const unsigned char* begin = static_cast<const unsigned char*>(bytes);
  const bool same =
      mKeptMode == mGameMode && mKeptRecord.size() == size && std::equal(mKeptRecord.begin(), mKeptRecord.end(), begin);
  const bool kept = same && PrefsHold(prefs, SaveKey(mGameMode), player, bytes, size);
  mKeptRecord.assign(begin, begin + size);
  mKeptMode = mGameMode;
  if (!kept) {
    prefs->SetBinary(SaveKey(mGameMode), bytes, size, player, true);
  }
  // A record the file did not take stays in the preferences' memory and goes with their next
  // commit; the settings tell the player why it waits.
  const bool written = !prefs->HasUnsavedChanges();
  if (!kept || !FileHolds(copy, bytes, size)) {
    SaveFileAtomically(copy, bytes, size);
  }
  if (TSettings* settings = Settings()) {
    settings->CheckSaves(true);
  }
  return written;
}

bool TTheGame::HasSavedGame(int mode) const
{
  int player = TSettings::kGlobalUser;
  TPrefsDB* prefs = PlayerPrefs(&player);
  return prefs && prefs->GetBinary(SaveKey(mode), nullptr, 0, player) > 0;
}

void TTheGame::DeleteSavedGame(int mode)
{
  int player = TSettings::kGlobalUser;
  if (TPrefsDB* prefs = PlayerPrefs(&player)) {
    prefs->SetBinary(SaveKey(mode), "", 0, player, true);
    Settings()->CheckSaves(true);
  }
}

bool TTheGame::LoadGame(int mode)
{
  int player = TSettings::kGlobalUser;
  TPrefsDB* prefs = PlayerPrefs(&player);
  if (!prefs) {
    return false;
  }
  const int size = prefs->GetBinary(SaveKey(mode), nullptr, 0, player);
  if (size <= 0) {
    return false;
  }
  std::vector<unsigned char> bytes(size);
  if (prefs->GetBinary(SaveKey(mode), bytes.data(), unsigned(size), player) != 0) {
    WriteDbg("ERROR: The saved game of player %d cannot be read", player);
    return false;
  }
  // The screens made again find the pictures, sounds and scripts of those they replace, and
  // of one another.
  TAssetManager::THold assets;
  TTextureManager::THold pictures;
  const bool applied = ApplySaveRecord(bytes.data(), unsigned(size), mode);
  if (applied) {
    mKeptRecord = bytes;
    mKeptMode = mode;
  }
  return applied;
}

bool TTheGame::ApplySaveRecord(const unsigned char* data, unsigned size, int mode)
{
  TBinaryBuffer record;
  record.Write(data, size);
  record.mPosition = 0;
  // A damaged part is named in the one line that says what becomes of the record.
  record.KeepFaultsQuiet();
  uint32_t magic = 0, savedMode = 0, payloadSize = 0, crc = 0;
  int32_t round = -1;
  const bool header = record.ReadU32(&magic) && record.ReadU32(&savedMode) && record.ReadI32(&round) &&
                      record.ReadU32(&payloadSize) && record.ReadU32(&crc);
  // The round to start again when the rest cannot be trusted.
  mCurrentRound = mode == kControllerStory && header && round >= 0 && round < int(mRounds.size()) ? round : 0;
  str fault;
  if (!header || magic != kSaveMagic) {
    fault = "it is not a saved game";
  } else if (int(savedMode) != mode) {
    fault = "it belongs to the other game mode";
  } else if (payloadSize != record.Remaining()) {
    fault = "its length does not match";
  } else if (Crc32(record.mData + kHeaderSize, payloadSize) != crc) {
    fault = "its checksum does not match";
  }
  bool loaded = false;
  if (fault.empty()) {
    loaded = mode == kControllerStory ? ReadStoryPayload(&record, round) : ReadFreePlayPayload(&record);
    if (!loaded) {
      fault = "a record in it is damaged";
      if (record.GetFault().length() > 0) {
        fault += " (" + record.GetFault() + ")";
      }
    } else if (record.Remaining() != 0) {
      loaded = false;
      fault = "it has bytes past its end";
    }
  }
  if (loaded) {
    return true;
  }
  int player = TSettings::kGlobalUser;
  PlayerPrefs(&player);
  // Kept before anything is saved again, so the next save of this mode cannot take its place.
  const str keptAs = KeepDamagedBytes(TFile::TranslateForWriting(str("user:") + SaveKey(mode) + ".dat"), data, size);
  WriteDbg("ERROR: The saved game of player %d is refused: %s; the %s starts again, %s%s", player, fault.c_str(),
           mode == kControllerStory ? "round" : "free play",
           keptAs.length() ? "the record is kept as " : "and no copy of the record can be kept", keptAs.c_str());
  if (TSettings* settings = Settings()) {
    settings->TellRefusedSave(keptAs);
  }
  setStartScore();
  if (mode == kControllerStory) {
    StartRound(mCurrentRound);
  }
  return false;
}

bool TTheGame::ReadStoryPayload(TBinaryBuffer* buffer, int round)
{
  int32_t state = stNone;
  std::map<str, uint32_t> scores;
  if (!buffer->ReadI32(&state) || !IsKnownState(state) || !LoadScores(buffer, &scores)) {
    return false;
  }
  // A resumed round goes on at the map: the pictures of its rooms, journal and dialogs load
  // when they are first shown, not while the player waits for the map.
  TTextureManager::TDeferLoads deferred;
  if (round < 0 || round >= int(mRounds.size()) || !StartRound(round)) {
    return false;
  }
  if (!mRounds[round]->Load(buffer)) {
    return false;
  }
  int32_t timeLeft = mRoundTimeLeft;
  if (buffer->Remaining() >= 4 && !buffer->ReadI32(&timeLeft)) {
    return false;
  }
  // The clock goes on where it stood, never beyond the round's time.
  const int32_t roundTime = mRounds[round]->mTime;
  mRoundTimeLeft = timeLeft < 0 || roundTime <= 0 ? -1 : std::min(timeLeft, roundTime);
  mRoundScored = state == stRoundEnd || state == stRoundScore;
  mScores = scores;
  WriteDbg("TTheGame - Resuming round %d saved in %s", round, GetStateName(state).c_str());
  return true;
}

bool TTheGame::ReadFreePlayPayload(TBinaryBuffer* buffer)
{
  int32_t state = stNone;
  std::map<str, uint32_t> scores;
  if (!buffer->ReadI32(&state) || !IsKnownState(state) || !LoadScores(buffer, &scores)) {
    return false;
  }
  if (!mFreePlay.Load(buffer)) {
    return false;
  }
  mScores = scores;
  return true;
}
