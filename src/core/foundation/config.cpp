// config: the process-wide engine configuration, text keys to text values; the platform
// facade's GetConfig, SetConfig and IsEnabled are its public face.
#include "core/foundation/config.h"

unsigned TConfig::sChanges = 0;

std::map<str, str>& TConfig::Map()
{
  // A function-local static, because the game writes configuration from main() and
  // static initialisers may read it before this file's statics exist.
  static std::map<str, str> configMap;
  return configMap;
}

str TConfig::Get(const str& key, const str& defaultValue)
{
  const std::map<str, str>& configMap = Map();
  auto found = configMap.find(key);
  return found == configMap.end() ? defaultValue : found->second;
}

void TConfig::Set(const str& key, const str& value)
{
  Map()[key] = value;
  ++sChanges;
}

bool TConfig::IsEnabled(const str& key)
{
  return Get(key, "").to_int() != 0;
}

void TConfig::Clear()
{
  Map().clear();
  ++sChanges;
}
