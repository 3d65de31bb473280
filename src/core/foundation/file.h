// file: the virtual file system: resource names ("user:", "common:", "desktop:", "::",
// "assets/") resolved to disk files, pack-archive members or memory blocks, and the qv_ functions.
#pragma once

#include "core/foundation/str.h"

#include <cstdio>
#include <map>
#include <set>

// Open modes. Text reading drops carriage returns from archive members and memory
// files; disk files read the same in both reading modes.
enum eFileMode
{
  kFileRead = 0,
  kFileReadText = 1,
  kFileWrite = 2, // create or truncate
  kFileWriteText = 3,
  kFileAppend = 4,
  kFileAppendText = 5
};

// Seek origins: not the stdio numbering.
enum eFileSeek
{
  kSeekCurrent = 0,
  kSeekStart = 1,
  kSeekEnd = 2
};

typedef std::map<str, str> TResourceMap;

// One open file of some kind; TFile owns it.
class TFileData
{
public:
  virtual ~TFileData() {}
  virtual bool Open(str location, eFileMode mode) = 0;
  virtual void Close() = 0;
  virtual void Unget() = 0; // step back over the last byte read
  virtual void Seek(long offset, eFileSeek origin) = 0;
  virtual unsigned long Size() = 0;
  virtual long Tell() = 0;
  virtual unsigned long Read(void* buffer, unsigned long count) = 0;
  virtual unsigned long Write(void const* buffer, unsigned long count) = 0;
  virtual bool AtEOF() = 0;
};

// A stdio stream on disk.
class TDiskFileData : public TFileData
{
public:
  TDiskFileData();
  ~TDiskFileData() override;
  bool Open(str location, eFileMode mode) override;
  void Close() override;
  void Unget() override;
  void Seek(long offset, eFileSeek origin) override;
  unsigned long Size() override;
  long Tell() override;
  unsigned long Read(void* buffer, unsigned long count) override;
  unsigned long Write(void const* buffer, unsigned long count) override;
  bool AtEOF() override;

private:
  TDiskFileData(TDiskFileData const&) = delete;
  TDiskFileData& operator=(TDiskFileData const&) = delete;

  FILE* mStream;
  int mLastByte; // -1 when there is nothing to step back over
};

class TFile
{
public:
  TFile();
  ~TFile();

  bool Open(str name, eFileMode mode);
  void Close();
  bool IsOpen() const { return mData != nullptr; }

  void Seek(long offset, eFileSeek origin);
  unsigned long Size();
  long Tell();
  unsigned long Read(void* buffer, unsigned long count);
  unsigned long Write(void const* buffer, unsigned long count);
  void Unget();
  bool AtEOF();

  // Builds the resource map from the assets folder (working directory), its pack
  // archives and the user and common folders. Adds to the map; it is not emptied.
  static void ScanForResources();
  // Adds one folder tree. False (after an "ERROR: " line) when it cannot be listed.
  static bool ScanFolderForResources(str folder, str prefix);
  // Edits the exclusion list; true when the text held "-*".
  static bool InternalAddFileMask(char const* text, bool add);
  // The location of a virtual name, or "".
  static str TranslateResource(str name, bool mustExist);
  // The disk path a name is written to, with the folders below the user or common folder
  // made on the way; "" when the name cannot be written on disk.
  static str TranslateForWriting(str name);
  static bool Exists(str name);
  // Removes a file of the user or common folder.
  static bool DeleteFile(str name);
  // Walks the resource names below `folder` in sorted order; start with an empty *name.
  static bool GetNextFile(str folder, str* name, bool recurse);
  // Registers memory under a name (not copied: it must outlive the registration);
  // null data removes the name.
  static void AddMemoryFile(str name, void* data, unsigned size);
  static void ShutDownFileSystem();

  // Set by the platform layer before scanning: the hook registers its built-in memory
  // files; with user folders skipped, only the assets folder is scanned.
  static void SetRegisterFilesHook(void (*hook)());
  static void SetSkipUserFolders(bool skip);
  // A second assets folder, scanned after "assets" under the same names (a later entry
  // wins): the data the build generates. "" scans none.
  static void SetGeneratedAssetsFolder(str folder);

  static TResourceMap mResourceMap;
  static std::set<str> mIgnoredFiles;
  // Absolute, without a trailing "/"; "" means the folder is not available.
  static str mUserDir;
  static str mCommonDir;
  static str mDesktopDir;
  // Finds the desktop folder the first time a "desktop:" name is used (the platform's
  // lookup, which logs when there is none); until then mDesktopDir stays as it is.
  static void SetDesktopResolver(str (*resolver)());

private:
  TFile(TFile const&) = delete;
  TFile& operator=(TFile const&) = delete;

  TFileData* mData;
};

// The stdio-like functions for code written against C file handles.
TFile* qv_open(char const* name, int mode);
void qv_close(TFile* file);
unsigned long qv_read(TFile* file, void* buffer, unsigned long count);
unsigned long qv_write(TFile* file, void const* buffer, unsigned long count);
void qv_seek(TFile* file, long offset, int origin);
long qv_tell(TFile* file);
int qv_getc(TFile* file);
void qv_ungetc(TFile* file);
// Reads one line (line end kept) and returns a pointer to the terminating zero, or
// null when nothing was read.
char* qv_gets(TFile* file, char* buffer, int size);
bool qv_eof(TFile* file);
bool qv_error(TFile* file);
