// platform: the engine's one platform facade and its process-wide configuration of text
// keys and values; gives the millisecond timer that tasks, clocks and drawing read.
#include "core/app/platform.h"

#include <atomic>
#include <map>
#include <time.h>

#include "core/foundation/encrypt.h"
#include "core/graphics/textgraphic.h"
#include "platform/online/computerid.h"
#include "platform/debug.h"
#include "platform/display/event.h"

TPlatform* TPlatform::mPlatform = nullptr;

namespace {

// A function-local static, because the game writes configuration from main() and
// static initialisers may read it before this file's statics exist.
std::map<str, str>& ConfigMap()
{
  static std::map<str, str> configMap;
  return configMap;
}

uint64_t MonotonicMilliseconds()
{
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return uint64_t(now.tv_sec) * 1000u + uint64_t(now.tv_nsec) / 1000000u;
}

uint64_t StartMilliseconds()
{
  static const uint64_t start = MonotonicMilliseconds();
  return start;
}

// Fix the timer's zero at process start-up rather than at its first reading.
const uint64_t gTimerZero = StartMilliseconds();

std::atomic<TTimeSource*> gTimeSource{nullptr};

// A developer's cheat code is this computer's id encrypted with the game's key, so a
// code works on one machine only and no valid code is stored in the program.
bool IsCheatCodeValid(const str& cheatCode, const str& encryptionKey, const str& computerId)
{
  if (computerId.length() == 0) {
    return false;
  }
  TEncrypt encrypt(encryptionKey);
  return encrypt.EncryptStr(computerId) == cheatCode;
}

} // namespace

str TPlatform::GetConfig(const str& key, const str& defaultValue)
{
  const std::map<str, str>& configMap = ConfigMap();
  auto found = configMap.find(key);
  return found == configMap.end() ? defaultValue : found->second;
}

void TPlatform::SetConfig(const str& key, const str& value)
{
  std::map<str, str>& configMap = ConfigMap();
  configMap[key] = value;
  if (key == "legacylinewrap") {
    TTextGraphic::mLegacyLineWrap = true;
  }
  if (key == kEncryptionKey || key == kCheatCode) {
    // Both keys are entered, empty when absent.
    const str encryptionKey = configMap[kEncryptionKey];
    const str cheatCode = configMap[kCheatCode];
    if (encryptionKey.length() != 0 && cheatCode.length() != 0) {
      const bool valid = IsCheatCodeValid(cheatCode, encryptionKey, GetConfig(kComputerId, ""));
      configMap[kCheatMode] = valid ? "1" : "0";
    }
  }
}

bool TPlatform::IsEnabled(const str& key)
{
  return GetConfig(key, "").to_int() != 0;
}

uint32_t TPlatform::Timer()
{
  if (TTimeSource* source = gTimeSource.load(std::memory_order_acquire)) {
    return source->Now();
  }
  (void)gTimerZero;
  // Truncation to 32 bits is the wrap-around that every reader expects.
  return uint32_t(MonotonicMilliseconds() - StartMilliseconds());
}

TTimeSource* TPlatform::SetTimeSource(TTimeSource* source)
{
  return gTimeSource.exchange(source, std::memory_order_acq_rel);
}

void TPlatform::GenerateGUID(uint32_t* out)
{
  qvGenerateGUID(out);
}

TPlatform::TPlatform() : mEventQueue(new TEventQueue)
{
  if (mPlatform) {
    WriteDbg("ERROR: TPlatform created while another one exists");
    return;
  }
  mPlatform = this;
  RegisterSoundSources();
}

TPlatform::~TPlatform()
{
  // The listeners belong to the scenes' world; delete them while the platform they
  // reach through GetInstance() still answers.
  mTextureRefreshTasks.DestroyAll();
  if (mData) {
    TearDownData();
  }
  ShutDownSound();
  delete mEventQueue;
  mEventQueue = nullptr;
  if (mPlatform == this) {
    mPlatform = nullptr;
    ConfigMap().clear();
  }
}

void TPlatform::ClearConfig()
{
  ConfigMap().clear();
}

void TPlatform::AdoptTextureRefreshListener(TTask* task)
{
  mTextureRefreshTasks.AdoptTask(task);
}

bool TPlatform::OrphanTextureRefreshListener(TTask* task)
{
  return mTextureRefreshTasks.OrphanTask(task);
}
