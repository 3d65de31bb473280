// config: the process-wide engine configuration, text keys to text values; the platform
// facade's GetConfig, SetConfig and IsEnabled are its public face.
#pragma once

#include <map>

#include "core/foundation/str.h"

// Works before any platform object exists (the game fills it first); main thread only.
// SetConfig's side effects on other subsystems belong to TPlatform::SetConfig, not here.
class TConfig
{
public:
  // The keys the foundation, the subsystems and the game read (TPlatform names them too).
  static constexpr char kEncryptionKey[] = "encryptionkey";
  static constexpr char kInstallKey[] = "installkey";
  static constexpr char kSoftwareTextureCulling[] = "softwaretextureculling";
  static constexpr char kKeepOGGUncompressed[] = "keepogguncompressed";
  static constexpr char kQVGameHandle[] = "qvgamehandle";
  static constexpr char kOverlayWindowMouseEvents[] = "overlaymouse";
  static constexpr char kAutoMergeMask[] = "automergemask";
  static constexpr char kTextGraphicSpriteRender[] = "textspriterender";
  static constexpr char kAdjustAnimatedParticles[] = "animatedparticles";
  static constexpr char kFixButtonMaskScaling[] = "fixbuttonmask";
  static constexpr char kGameVersion[] = "version";
  static constexpr char kGameName[] = "gamename";
  static constexpr char kHiscoreAnonymous[] = "hiscoreanon";
  static constexpr char kHiscoreLocalOnly[] = "hiscorelocal";

  // The stored value (an empty one included), else defaultValue; never inserts.
  static str Get(const str& key, const str& defaultValue);
  static void Set(const str& key, const str& value);
  // The value read as an integer is not 0.
  static bool IsEnabled(const str& key);
  static void Clear();
  // Counts the changes (Set, Clear): a reader on a hot path keeps a value it looked up
  // until the count moves.
  static unsigned GetChangeCount() { return sChanges; }

private:
  static std::map<str, str>& Map();
  static unsigned sChanges;
};
