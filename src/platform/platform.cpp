// platform: the engine's one platform facade and its process-wide configuration of text
// keys and values; gives the millisecond timer that tasks, clocks and drawing read.
#include "platform/platform.h"

#include "core/app/gamestate.h"
#include "core/foundation/encrypt.h"
#include "core/graphics/textgraphic.h"
#include "core/foundation/debug.h"
#include "platform/display/clipboard.h"
#include "platform/display/event.h"
#include "platform/online/computerid.h"
#include "platform/platformservices.h"

TPlatform* TPlatform::mPlatform = nullptr;

namespace {

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
  return TConfig::Get(key, defaultValue);
}

void TPlatform::SetConfig(const str& key, const str& value)
{
  TConfig::Set(key, value);
  if (key == "legacylinewrap") {
    TTextGraphic::mLegacyLineWrap = true;
  }
  if (key == kEncryptionKey || key == kCheatCode) {
    // Both keys are entered, empty when absent.
    const str encryptionKey = TConfig::Get(kEncryptionKey, "");
    const str cheatCode = TConfig::Get(kCheatCode, "");
    TConfig::Set(kEncryptionKey, encryptionKey);
    TConfig::Set(kCheatCode, cheatCode);
    if (encryptionKey.length() != 0 && cheatCode.length() != 0) {
      const bool valid = IsCheatCodeValid(cheatCode, encryptionKey, GetConfig(kComputerId, ""));
      TConfig::Set(kCheatMode, valid ? "1" : "0");
    }
  }
}

bool TPlatform::IsEnabled(const str& key)
{
  return TConfig::IsEnabled(key);
}

uint32_t TPlatform::Timer()
{
  return TTimeSource::Timer();
}

TTimeSource* TPlatform::SetTimeSource(TTimeSource* source)
{
  return TTimeSource::Install(source);
}

bool TPlatform::StringToClipboard(str text)
{
  return QvSetClipboardText(text);
}

str TPlatform::StringFromClipboard()
{
  return QvGetClipboardText();
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
  mHost = new TPlatformHost(this);
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
  // A platform without data of its own (a test's) hands in its host all the same, and the
  // analytics store may have been made through it; with data, TearDownData deleted it.
  delete TGameStateData::mGameState;
  ShutDownSound();
  delete mHost;
  mHost = nullptr;
  delete mEventQueue;
  mEventQueue = nullptr;
  if (mPlatform == this) {
    mPlatform = nullptr;
    TConfig::Clear();
  }
}

void TPlatform::ClearConfig()
{
  TConfig::Clear();
}

void TPlatform::AdoptTextureRefreshListener(TTask* task)
{
  mTextureRefreshTasks.AdoptTask(task);
}

bool TPlatform::OrphanTextureRefreshListener(TTask* task)
{
  return mTextureRefreshTasks.OrphanTask(task);
}
