// recordinglevels: sound levels that remember every volume set, in place of the sound
// manager's, installed for the lifetime of the object.
#pragma once

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "media/soundlevels.h"

class TRecordingLevels : public TSoundLevels
{
public:
  TRecordingLevels() { mPrevious = Install(this); }
  ~TRecordingLevels() override { Install(mPrevious); }

  float GetVolume(int type) override
  {
    auto found = mTypes.find(type);
    return mMaster * (found == mTypes.end() ? 1.0f : found->second);
  }
  void SetTypeVolume(int type, float volume) override
  {
    mTypes[type] = volume;
    mLog.push_back(std::to_string(type) + "=" + Text(volume));
  }
  void SetVolume(float volume) override
  {
    mMaster = volume;
    mLog.push_back("master=" + Text(volume));
  }
  // The type's own volume (not times the master); -1 when never set.
  float Type(int type) const
  {
    auto found = mTypes.find(type);
    return found == mTypes.end() ? -1.0f : found->second;
  }
  // The calls since the last Take.
  std::vector<std::string> Take()
  {
    std::vector<std::string> log;
    log.swap(mLog);
    return log;
  }

  static std::string Text(float value)
  {
    char text[32];
    std::snprintf(text, sizeof text, "%g", double(value));
    return text;
  }

  float mMaster = 1.0f;
  std::map<int, float> mTypes;
  std::vector<std::string> mLog;

private:
  TSoundLevels* mPrevious;
};
