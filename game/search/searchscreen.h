// searchscreen: the hidden-object search room: its scene and its list of objects to find
// from its configuration; found objects leave the list and score, misses sound; the last
// find (or, in free play, the end of the clock) tells the game controller. Entering it starts
// its music: the place's sting the first time, a room track after it and on later entries.
#pragma once

#include <cstdint>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "screenbase/scenescreen.h"

class TSound;

class TSearchScreen : public TSceneScreen
{
public:
  // One object to find: its name in the scene, the label shown in the list, and what
  // finding it tells the case (a theory to confirm, a suspect, 1-based).
  struct TEntry
  {
    str mId;
    str mLabel;
    str mTheory;
    int mSuspect = 0;
  };

  static constexpr char kDeletingState[] = "deleting";
  static constexpr char kFoundSound[] = "audio/sfx/found.ogg";
  static constexpr char kMissSound[] = "audio/sfx/miss.ogg";
  static constexpr unsigned kRoomTrackCount = 3;
  static const char* const kRoomTracks[kRoomTrackCount];

  // Reads the room's configuration: in story mode the current case's, in free play the
  // location's. Done once, when the screen is first shown.
  bool LoadConfig(const str& config);
  const str& GetConfig() const { return mConfig; }
  const std::vector<TEntry>& GetEntries() const { return mEntries; }
  const std::vector<str>& GetRemaining() const { return mRemaining; }
  unsigned GetMisses() const { return mMisses; }
  // Objects of the list found so far.
  unsigned GetFoundCount() const;
  // Free play's clock in ms; negative when the room is not timed.
  int32_t GetTimeLeft() const { return mTimeLeft; }

  void Activate() override;
  void StartFading(unsigned time, bool fadeIn) override;
  void OnTick(double ms) override;
  bool OnMouseDown(const TPoint& point) override;
  bool IsDone() const override { return mCompleted; }

  // Whether the room was entered, the configuration path, what is left to find, the misses
  // and the clock, then the scenes.
  bool Save(TBinaryBuffer* buffer) override;
  bool LoadSaved(TBinaryBuffer* buffer) override;

  // Lua functions of the room's scene, for its buttons.
  void BackToMap();
  void PlayMetaPuzzle();

protected:
  void PostLoadInit(TScene* scene, bool fromSave) override;

private:
  bool ReadEntries(const str& config);
  void ObjectFound(TSceneObject* object, const TEntry& entry);
  void Missed();
  void UpdatePanel();
  void DropUnseen();
  // Plays the named sound, opened at its first play: a room made again from a saved game is
  // shown later, if at all, and its opening is not waited for.
  void Play(const str& name, boost::shared_ptr<TSound>* sound);
  void StartMusic();
  const TEntry* FindEntry(const str& id) const;

  bool mConfigured = false;
  str mConfig;
  std::vector<TEntry> mEntries;
  std::vector<str> mRemaining;
  unsigned mMisses = 0;
  int32_t mTimeLeft = -1;
  bool mCompleted = false;
  // The first entry plays the place's sting; a room made again from a saved game keeps it.
  bool mEntered = false;
  str mFoundSoundName;
  str mMissSoundName;
  boost::shared_ptr<TSound> mFoundSound;
  boost::shared_ptr<TSound> mMissSound;
};
