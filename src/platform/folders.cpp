// folders: finds (and creates) the per-user, shared and desktop folders of the game
// under the XDG base directories; talks to the environment, the home folder and mkdir.
#include "platform/folders.h"

#include "core/foundation/debug.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool IsFolder(std::string const& path)
{
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Creates every missing folder of an absolute path; the last one gets `mode`,
// the ones on the way 0700 as the XDG base directories ask for.
bool MakeFolders(std::string const& path, mode_t mode)
{
  if (IsFolder(path))
    return true;
  for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    bool last = slash == std::string::npos;
    std::string part = last ? path : path.substr(0, slash);
    if (!part.empty() && !IsFolder(part) && mkdir(part.c_str(), last ? mode : 0700) != 0 && errno != EEXIST) {
      WriteDbg("ERROR: Cannot create folder %s: %s", part.c_str(), std::strerror(errno));
      return false;
    }
    if (last)
      break;
  }
  return IsFolder(path);
}

// A folder name taken from the configuration must stay one path component.
bool IsValidFolderName(str const& name)
{
  char const* text = name.c_str();
  return text[0] != 0 && std::strchr(text, '/') == nullptr && std::strcmp(text, ".") != 0 &&
         std::strcmp(text, "..") != 0;
}

std::string HomeFolder()
{
  char const* home = std::getenv("HOME");
  if (home && home[0] == '/')
    return home;
  return std::string();
}

// QV_HOME redirects all three folders (tests, portable installs).
bool OverriddenFolder(char const* leaf, mode_t mode, std::string* path)
{
  char const* root = std::getenv("QV_HOME");
  if (!root || !root[0])
    return false;
  *path = std::string(root) + "/" + leaf;
  if (!MakeFolders(*path, mode))
    path->clear();
  return true;
}

std::string DataHome()
{
  char const* dataHome = std::getenv("XDG_DATA_HOME");
  // The XDG rules ignore relative paths.
  if (dataHome && dataHome[0] == '/')
    return dataHome;
  std::string home = HomeFolder();
  if (home.empty())
    return std::string();
  return home + "/.local/share";
}

std::string StripTrailingSlashes(std::string path)
{
  while (path.size() > 1 && path.back() == '/')
    path.pop_back();
  return path;
}

// Reads XDG_DESKTOP_DIR="$HOME/..." or an absolute path from user-dirs.dirs.
std::string ConfiguredDesktop(std::string const& home)
{
  std::string configHome;
  char const* configEnv = std::getenv("XDG_CONFIG_HOME");
  if (configEnv && configEnv[0] == '/')
    configHome = configEnv;
  else if (!home.empty())
    configHome = home + "/.config";
  else
    return std::string();

  FILE* file = std::fopen((configHome + "/user-dirs.dirs").c_str(), "r");
  if (!file)
    return std::string();
  std::string result;
  char line[4096];
  static char const kKey[] = "XDG_DESKTOP_DIR=";
  while (std::fgets(line, sizeof line, file)) {
    char const* text = line;
    while (*text == ' ' || *text == '\t')
      ++text;
    if (std::strncmp(text, kKey, sizeof kKey - 1) != 0)
      continue;
    std::string value = text + sizeof kKey - 1;
    while (!value.empty() && (value.back() == '\n' || value.back() == '\r'))
      value.pop_back();
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
      value = value.substr(1, value.size() - 2);
    }
    if (value.compare(0, 5, "$HOME") == 0 && !home.empty()) {
      result = home + value.substr(5);
    } else if (!value.empty() && value[0] == '/') {
      result = value;
    }
  }
  std::fclose(file);
  return StripTrailingSlashes(result);
}

str ToStr(std::string const& text)
{
  return str(text.c_str());
}

} // namespace

str GetUserFolder(str gameName)
{
  std::string path;
  if (OverriddenFolder("user", 0755, &path))
    return ToStr(path);
  if (!IsValidFolderName(gameName)) {
    WriteDbg("ERROR: Invalid game folder name '%s'", gameName.c_str());
    return str();
  }
  std::string dataHome = DataHome();
  if (dataHome.empty()) {
    WriteDbg("ERROR: No user folder: neither XDG_DATA_HOME nor HOME is set");
    return str();
  }
  path = dataHome + "/" + gameName.c_str();
  return MakeFolders(path, 0755) ? ToStr(path) : str();
}

str GetCommonFolder(str gameName, str publisherName)
{
  std::string path;
  if (OverriddenFolder("common", 0777, &path))
    return ToStr(path);
  if (!IsValidFolderName(gameName) || !IsValidFolderName(publisherName)) {
    WriteDbg("ERROR: Invalid common folder name '%s/%s'", publisherName.c_str(), gameName.c_str());
    return str();
  }
  std::string dataHome = DataHome();
  if (dataHome.empty()) {
    WriteDbg("ERROR: No common folder: neither XDG_DATA_HOME nor HOME is set");
    return str();
  }
  path = dataHome + "/" + publisherName.c_str();
  if (!MakeFolders(path, 0777))
    return str();
  path += std::string("/") + gameName.c_str();
  return MakeFolders(path, 0777) ? ToStr(path) : str();
}

str GetDesktopFolder()
{
  std::string path;
  if (OverriddenFolder("desktop", 0755, &path))
    return ToStr(path);
  std::string home = HomeFolder();
  path = ConfiguredDesktop(home);
  if (path.empty() && !home.empty())
    path = home + "/Desktop";
  if (path.empty() || !IsFolder(path)) {
    WriteDbg("ERROR: No desktop folder%s%s", path.empty() ? "" : " at ", path.c_str());
    return str();
  }
  return ToStr(path);
}
