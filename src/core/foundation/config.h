// config: the process-wide engine configuration, text keys to text values; the platform
// facade's GetConfig, SetConfig and IsEnabled are its public face.
#pragma once

#include <map>

#include "core/foundation/str.h"

// Works before any platform object exists (the game fills it first); main thread only.
// SetConfig's side effects on other subsystems belong to TPlatform::SetConfig, not here.
class TConfig {
public:
  // The keys the foundation itself reads (TPlatform names them too).
  static constexpr char kEncryptionKey[] = "encryptionkey";
  static constexpr char kInstallKey[] = "installkey";

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
