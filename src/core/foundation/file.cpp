// file: the virtual file system: the resource map, name translation, disk files and the
// qv_ functions; talks to TFlatFile, TMemoryFile, TDirectorySearch and POSIX files.
#include "core/foundation/file.h"

#include "core/foundation/directorysearch.h"
#include "core/foundation/flatfile.h"
#include "core/foundation/memoryfile.h"
#include "core/foundation/debug.h"

#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

TResourceMap TFile::mResourceMap;
std::set<str> TFile::mIgnoredFiles;
str TFile::mUserDir;
str TFile::mCommonDir;
str TFile::mDesktopDir;

namespace {

str (*gDesktopResolver)() = nullptr;

} // namespace

void TFile::SetDesktopResolver(str (*resolver)())
{
  gDesktopResolver = resolver;
}

namespace {

void (*gRegisterFilesHook)() = nullptr;
bool gSkipUserFolders = false;
str gGeneratedAssetsFolder;

// An exclusion list longer than this is not an exclusion list.
const unsigned long kMaxFinalListBytes = 99999;

str Lowered(str text)
{
  text.downcase();
  return text;
}

bool StartsWith(str const& text, char const* prefix)
{
  return std::strncmp(text.c_str(), prefix, std::strlen(prefix)) == 0;
}

bool IsDiskLocation(str const& location)
{
  return location.length() > 0 && location[0] != '@' && location[0] != '&';
}

// The folder behind a "user:", "common:" or "desktop:" name, and the prefix length.
str const* FolderOfName(str const& lowerName, unsigned* prefixLength)
{
  if (StartsWith(lowerName, "user:")) {
    *prefixLength = 5;
    return &TFile::mUserDir;
  }
  if (StartsWith(lowerName, "common:")) {
    *prefixLength = 7;
    return &TFile::mCommonDir;
  }
  if (StartsWith(lowerName, "desktop:")) {
    *prefixLength = 8;
    if (gDesktopResolver) {
      TFile::mDesktopDir = gDesktopResolver();
      gDesktopResolver = nullptr;
    }
    return &TFile::mDesktopDir;
  }
  return nullptr;
}

// Writes below the user or common folder may name sub-folders that do not exist yet.
void CreateFoldersFor(str const& path)
{
  str const* roots[] = {&TFile::mUserDir, &TFile::mCommonDir};
  for (str const* root : roots) {
    unsigned rootLength = root->length();
    if (rootLength == 0 || std::strncmp(path.c_str(), root->c_str(), rootLength) != 0 || path[rootLength] != '/') {
      continue;
    }
    str folder = *root;
    unsigned start = rootLength + 1;
    for (unsigned slash = path.find('/', 0, start); slash != str::npos; slash = path.find('/', 0, start)) {
      folder += "/";
      folder += path.substr(start, static_cast<int>(slash - start));
      if (access(folder.c_str(), R_OK | W_OK) != 0)
        mkdir(folder.c_str(), 0777);
      start = slash + 1;
    }
    return;
  }
}

} // namespace

// ---------------------------------------------------------------------------------------
// TDiskFileData

TDiskFileData::TDiskFileData() : mStream(nullptr), mLastByte(-1) {}

TDiskFileData::~TDiskFileData()
{
  Close();
}

bool TDiskFileData::Open(str location, eFileMode mode)
{
  Close();
  if (location.length() == 0)
    return false;
  char const* stdioMode = "rb";
  if (mode == kFileWrite || mode == kFileWriteText)
    stdioMode = "wb";
  else if (mode == kFileAppend || mode == kFileAppendText)
    stdioMode = "ab";
  mStream = std::fopen(location.c_str(), stdioMode);
  if (!mStream)
    return false;
  // stdio opens folders for reading on Linux; they are not files to the engine.
  struct stat info;
  if (fstat(fileno(mStream), &info) != 0 || S_ISDIR(info.st_mode)) {
    Close();
    return false;
  }
  return true;
}

void TDiskFileData::Close()
{
  if (mStream)
    std::fclose(mStream);
  mStream = nullptr;
  mLastByte = -1;
}

void TDiskFileData::Unget()
{
  if (!mStream || mLastByte < 0)
    return;
  std::ungetc(mLastByte, mStream);
  mLastByte = -1;
}

void TDiskFileData::Seek(long offset, eFileSeek origin)
{
  if (!mStream)
    return;
  int whence = SEEK_CUR;
  if (origin == kSeekStart)
    whence = SEEK_SET;
  else if (origin == kSeekEnd)
    whence = SEEK_END;
  else if (origin != kSeekCurrent)
    return;
  std::fseek(mStream, offset, whence);
  // The remembered byte belongs to the old position.
  mLastByte = -1;
}

unsigned long TDiskFileData::Size()
{
  if (!mStream)
    return 0;
  long position = std::ftell(mStream);
  std::fseek(mStream, 0, SEEK_END);
  long size = std::ftell(mStream);
  std::fseek(mStream, position, SEEK_SET);
  return size > 0 ? static_cast<unsigned long>(size) : 0;
}

long TDiskFileData::Tell()
{
  return mStream ? std::ftell(mStream) : 0;
}

unsigned long TDiskFileData::Read(void* buffer, unsigned long count)
{
  if (!mStream || !buffer || count == 0)
    return 0;
  size_t delivered = std::fread(buffer, 1, count, mStream);
  if (delivered > 0)
    mLastByte = static_cast<unsigned char*>(buffer)[delivered - 1];
  return delivered;
}

unsigned long TDiskFileData::Write(void const* buffer, unsigned long count)
{
  if (!mStream || !buffer || count == 0)
    return 0;
  return std::fwrite(buffer, 1, count, mStream);
}

bool TDiskFileData::AtEOF()
{
  return !mStream || std::feof(mStream) != 0;
}

// ---------------------------------------------------------------------------------------
// TFile

TFile::TFile() : mData(nullptr) {}

TFile::~TFile()
{
  Close();
}

bool TFile::Open(str name, eFileMode mode)
{
  Close();
  bool reading = mode < kFileWrite;
  str location = TranslateResource(name, reading);
  if (location.length() == 0)
    return false;

  // A raw "::" path is a disk path even when it happens to start with "@" or "&".
  bool raw = StartsWith(name, "::") && location == name.substr(2);
  TFileData* data = nullptr;
  if (!raw && location[0] == '@')
    data = new TFlatFile;
  else if (!raw && location[0] == '&')
    data = new TMemoryFile;
  else {
    if (!reading)
      CreateFoldersFor(location);
    data = new TDiskFileData;
  }
  if (!data->Open(location, mode)) {
    delete data;
    // Forget a write path that never came to exist, so it does not linger in the map.
    if (!reading && IsDiskLocation(location) && access(location.c_str(), F_OK) != 0) {
      TResourceMap::iterator entry = mResourceMap.find(Lowered(name));
      if (entry != mResourceMap.end() && entry->second == location)
        mResourceMap.erase(entry);
    }
    return false;
  }
  mData = data;
  return true;
}

void TFile::Close()
{
  delete mData;
  mData = nullptr;
}

void TFile::Seek(long offset, eFileSeek origin)
{
  if (mData)
    mData->Seek(offset, origin);
}

unsigned long TFile::Size()
{
  return mData ? mData->Size() : 0;
}

long TFile::Tell()
{
  return mData ? mData->Tell() : -1;
}

unsigned long TFile::Read(void* buffer, unsigned long count)
{
  return mData ? mData->Read(buffer, count) : 0;
}

unsigned long TFile::Write(void const* buffer, unsigned long count)
{
  return mData ? mData->Write(buffer, count) : 0;
}

void TFile::Unget()
{
  if (mData)
    mData->Unget();
}

bool TFile::AtEOF()
{
  return mData ? mData->AtEOF() : true;
}

void TFile::SetRegisterFilesHook(void (*hook)())
{
  gRegisterFilesHook = hook;
}

void TFile::SetSkipUserFolders(bool skip)
{
  gSkipUserFolders = skip;
}

void TFile::SetGeneratedAssetsFolder(str folder)
{
  gGeneratedAssetsFolder = folder;
}

void TFile::ScanForResources()
{
  if (gRegisterFilesHook)
    gRegisterFilesHook();

  TFile finalList;
  if (finalList.Open("::final.txt", kFileRead)) {
    unsigned long size = finalList.Size();
    if (size <= kMaxFinalListBytes) {
      std::vector<char> text(size + 1);
      unsigned long delivered = finalList.Read(text.data(), size);
      text[delivered] = 0;
      InternalAddFileMask(text.data(), true);
    }
    finalList.Close();
  }

  ScanFolderForResources("assets", "");
  // Named like the files of "assets" itself ("fonts/default.mvec"), not after the folder.
  if (gGeneratedAssetsFolder.length() > 0)
    ScanFolderForResources(gGeneratedAssetsFolder, ".");
  if (gSkipUserFolders)
    return;
  if (mUserDir.length() > 0)
    ScanFolderForResources(mUserDir, "user:");
  if (mCommonDir.length() > 0)
    ScanFolderForResources(mCommonDir, "common:");
}

bool TFile::ScanFolderForResources(str folder, str prefix)
{
  TFlatFile::InitFlatFiles(folder, mResourceMap);
  TDirectorySearch search(folder.c_str());
  if (!search.IsOpen()) {
    WriteDbg("ERROR: Cannot list the resource folder %s", folder.c_str());
    return false;
  }

  // Keys are lower case; the locations keep the names as they are on disk, because
  // the file system is case-sensitive.
  str namePrefix;
  if (prefix.length() > 0) {
    namePrefix = prefix == str(".") ? str() : prefix;
  } else {
    namePrefix = StartsWith(folder, "assets") ? folder.substr(7) : folder;
    if (namePrefix.length() > 0)
      namePrefix += "/";
  }
  str stem = Lowered(namePrefix);

  str entry;
  bool isFolder = false;
  bool isLink = false;
  while (search.GetNextFile(&entry, &isFolder, &isLink)) {
    str lowerEntry = Lowered(entry);
    if (mIgnoredFiles.count(stem + lowerEntry) > 0)
      continue;
    str path = folder + "/" + entry;
    if (isFolder) {
      // A linked folder may lead back up the tree.
      if (lowerEntry == str(".svn") || isLink)
        continue;
      if (prefix.length() > 0)
        ScanFolderForResources(path, namePrefix + entry + "/");
      else
        ScanFolderForResources(path, str());
    } else {
      mResourceMap[stem + lowerEntry] = path;
    }
  }
  return true;
}

bool TFile::InternalAddFileMask(char const* text, bool add)
{
  if (!text)
    return false;
  bool clearedAll = false;
  char const* cursor = text;
  while (*cursor) {
    size_t gap = std::strspn(cursor, " \t\r\n");
    cursor += gap;
    size_t length = std::strcspn(cursor, " \t\r\n");
    if (length == 0)
      break;
    str token = Lowered(str(cursor, length));
    cursor += length;
    if (token == str("-*")) {
      mIgnoredFiles.clear();
      clearedAll = true;
    } else if (add) {
      mIgnoredFiles.insert(token);
    } else {
      mIgnoredFiles.erase(token);
    }
  }
  return clearedAll;
}

str TFile::TranslateResource(str name, bool mustExist)
{
  str key = Lowered(name);
  TResourceMap::iterator entry = mResourceMap.find(key);
  if (entry != mResourceMap.end() && entry->second.length() > 0) {
    unsigned prefixLength = 0;
    // Files of the per-user folders can vanish behind the engine's back.
    if (mustExist && FolderOfName(key, &prefixLength) && IsDiskLocation(entry->second) &&
        access(entry->second.c_str(), R_OK) != 0) {
      mResourceMap.erase(entry);
      return str();
    }
    return entry->second;
  }

  if (StartsWith(key, "::")) {
    str path = name.substr(2);
    if (path.length() > 0 && access(path.c_str(), R_OK) == 0)
      return path;
    return str();
  }

  if (mustExist && mIgnoredFiles.count(key) > 0)
    return str();

  unsigned prefixLength = 0;
  if (str const* folder = FolderOfName(key, &prefixLength)) {
    // Without the folder the path would land at the root of the file system.
    if (folder->length() == 0 || name.length() <= prefixLength)
      return str();
    str path = *folder + "/" + name.substr(prefixLength);
    // Reading needs read permission only: a write-protected file is still the player's data.
    if (mustExist && access(path.c_str(), R_OK) != 0)
      return str();
    mResourceMap[key] = path;
    return path;
  }

  if (StartsWith(key, "assets/") || StartsWith(key, "assets\\")) {
    return TranslateResource(name.substr(7), false);
  }
  return str();
}

str TFile::TranslateForWriting(str name)
{
  // A raw path names a disk file whether or not it exists yet.
  if (StartsWith(name, "::"))
    return name.substr(2);
  str location = TranslateResource(name, false);
  if (!IsDiskLocation(location))
    return str();
  CreateFoldersFor(location);
  return location;
}

bool TFile::Exists(str name)
{
  return TranslateResource(name, true).length() > 0;
}

bool TFile::DeleteFile(str name)
{
  str key = Lowered(name);
  str location = TranslateResource(name, true);
  if (!IsDiskLocation(location))
    return false;
  if (!StartsWith(key, "user:") && !StartsWith(key, "common:"))
    return false;
  if (key.find(str("..")) != str::npos)
    return false;
  if (unlink(location.c_str()) != 0)
    return false;
  mResourceMap.erase(key);
  return true;
}

bool TFile::GetNextFile(str folder, str* name, bool recurse)
{
  if (!name)
    return false;
  str prefix = Lowered(folder);
  str start = name->length() > 0 ? *name : prefix;
  unsigned nameStart = prefix.length() + 1;
  for (TResourceMap::iterator entry = mResourceMap.upper_bound(start); entry != mResourceMap.end(); ++entry) {
    // Names below the folder sort together, so the first other name ends the walk.
    if (!StartsWith(entry->first, prefix.c_str()))
      return false;
    if (!recurse && entry->first.find('/', 0, nameStart) != str::npos)
      continue;
    *name = entry->first;
    return true;
  }
  return false;
}

void TFile::AddMemoryFile(str name, void* data, unsigned size)
{
  TMemoryFile::AddFile(mResourceMap, name, data, size);
}

void TFile::ShutDownFileSystem()
{
  mResourceMap.clear();
}

// ---------------------------------------------------------------------------------------
// qv_ functions

TFile* qv_open(char const* name, int mode)
{
  if (!name)
    return nullptr;
  TFile* file = new TFile;
  if (!file->Open(name, static_cast<eFileMode>(mode))) {
    delete file;
    return nullptr;
  }
  return file;
}

void qv_close(TFile* file)
{
  delete file;
}

unsigned long qv_read(TFile* file, void* buffer, unsigned long count)
{
  return file ? file->Read(buffer, count) : 0;
}

unsigned long qv_write(TFile* file, void const* buffer, unsigned long count)
{
  return file ? file->Write(buffer, count) : 0;
}

void qv_seek(TFile* file, long offset, int origin)
{
  if (file)
    file->Seek(offset, static_cast<eFileSeek>(origin));
}

long qv_tell(TFile* file)
{
  return file ? file->Tell() : -1;
}

int qv_getc(TFile* file)
{
  unsigned char byte = 0;
  if (!file || !file->IsOpen() || file->Read(&byte, 1) != 1)
    return -1;
  return byte;
}

void qv_ungetc(TFile* file)
{
  if (file)
    file->Unget();
}

char* qv_gets(TFile* file, char* buffer, int size)
{
  if (!file || !file->IsOpen() || !buffer || size < 1)
    return nullptr;
  int stored = 0;
  while (stored < size - 1) {
    unsigned char byte = 0;
    if (file->Read(&byte, 1) != 1)
      break;
    buffer[stored++] = static_cast<char>(byte);
    if (byte == 10 || byte == 13)
      break;
  }
  buffer[stored] = 0;
  // A last line without a line end is still a line; only an empty read ends the loop.
  return stored > 0 ? buffer + stored : nullptr;
}

bool qv_eof(TFile* file)
{
  return !file || file->AtEOF();
}

bool qv_error(TFile* file)
{
  return !file || !file->IsOpen();
}
