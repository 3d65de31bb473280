// vellumkitinit: the game's identity in the engine's configuration: its handle, text
// modes, encryption key and the names of its game modes and medals.
#include "app/vellumkitinit.h"

#include "platform/platform.h"
#include "core/foundation/str.h"

void VellumkitInit()
{
  TPlatform::SetConfig(TPlatform::kGameName, QVGAMEHANDLE);
  TPlatform::SetConfig(TPlatform::kUTF8Mode, "1");
  TPlatform::SetConfig(TPlatform::kAutoMergeMask, "1");
  TPlatform::SetConfig(TPlatform::kVerboseDebug, "1");
  TPlatform::SetConfig(TPlatform::kSpriteAlwaysTestChildren, "1");
  TPlatform::SetConfig(TPlatform::kEncryptionKey, ENCRYPTION_KEY);
  TPlatform::SetConfig(TPlatform::kQVGameHandle, QVGAMEHANDLE);
  for (int mode = 1; mode <= 2; ++mode) {
    TPlatform::SetConfig(str::getFormatted("%s%d", TPlatform::kQVGameModeName, mode), QVGAMEMODENAMES[mode - 1]);
  }
  for (int medal = 1; medal <= 10; ++medal) {
    TPlatform::SetConfig(str::getFormatted("%s%d", TPlatform::kQVGameMedalName, medal), QVGAMEMEDALNAMES[medal - 1]);
  }
}
