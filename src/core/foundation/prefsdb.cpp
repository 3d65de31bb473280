// prefsdb: encrypts preference values with the program's key and keeps them per install
// and per player in the preferences store; reads "install.txt" and the configuration.
#include "core/foundation/prefsdb.h"

#include <algorithm>
#include <cstring>

#include "core/foundation/config.h"
#include "core/foundation/file.h"
#include "core/foundation/prefsstore.h"
#include "core/foundation/debug.h"

namespace {

char const kLastKey[] = "lastkey";
char const kPrefsFile[] = "user:prefsdb.dat";
// An install key is a short text; anything longer is not one.
unsigned long const kMaxInstallText = 4096;

} // namespace

TPrefsDBData::TPrefsDBData(char const* path, bool writable, TEncrypt& encrypt)
    : mWritable(writable), mEncrypt(encrypt), mStore(OpenPrefsStore(path, writable)), mInstall(-1)
{
  SelectInstall();
}

TPrefsDBData::TPrefsDBData(TPrefsStore* store, bool writable, TEncrypt& encrypt)
    : mWritable(writable), mEncrypt(encrypt), mStore(store), mInstall(-1)
{
  if (!mStore)
    mStore.reset(OpenPrefsStore("", writable));
  SelectInstall();
}

TPrefsDBData::~TPrefsDBData() = default;

void TPrefsDBData::SelectInstall()
{
  str const installKey = GetInstallKey();
  TPrefsBytes lastKey(installKey.c_str(), installKey.c_str() + installKey.length() + 1);
  // Rewriting an unchanged key would only hold the file's write lock for nothing.
  TPrefsBytes stored;
  if (!mStore->GetMeta(kLastKey, &stored) || stored != lastKey)
    mStore->SetMeta(kLastKey, lastKey);

  mInstall = mStore->FindInstall(installKey);
  if (mInstall < 0) {
    mInstall = mStore->AddInstall(installKey);
    if (mInstall < 0)
      WriteDbg("ERROR: TPrefsDB could not add the install row; preferences are not available");
    else if (mWritable)
      mStore->Commit(0);
  }
}

str TPrefsDBData::GetInstallKey()
{
  TFile file;
  if (file.Open("install.txt", kFileReadText)) {
    unsigned long const size = file.Size();
    if (size <= kMaxInstallText) {
      std::vector<char> text(size + 1, 0);
      unsigned long const got = file.Read(text.data(), size);
      str content(text.data(), got);
      if (content.length() > 0) {
        content.downcase();
        return mEncrypt.EncryptStr(content);
      }
      TPrefsBytes stored;
      if (mStore->GetMeta(kLastKey, &stored) && !stored.empty()) {
        stored.push_back(0);
        str const lastKey(reinterpret_cast<char const*>(stored.data()));
        if (lastKey.length() > 0)
          return lastKey;
      }
      // Encrypted like the configured fallback, so that this install keeps one row
      // whichever way it arrives at "unknown".
      return mEncrypt.EncryptStr("unknown");
    }
    WriteDbg("ERROR: install.txt is %lu bytes long; ignored", size);
  }
  str configured = TConfig::Get(TConfig::kInstallKey, "");
  configured.downcase();
  if (configured.length() == 0)
    configured = "unknown";
  return mEncrypt.EncryptStr(configured);
}

bool TPrefsDBData::SelectUser(int user)
{
  if (mInstall < 0)
    return false;
  if (user == -1)
    return true;
  if (user < -1 || user >= kMaxUsers) {
    WriteDbg("ERROR: TPrefsDB: no player %d", user);
    return false;
  }
  for (unsigned count = mStore->GetNumUsers(mInstall); count <= (unsigned)user; ++count) {
    if (!mStore->AddUser(mInstall))
      return false;
  }
  return true;
}

bool TPrefsDBData::SetBin(int user, str key, void const* data, unsigned int size)
{
  if (!SelectUser(user))
    return false;
  unsigned int const needed = mEncrypt.EncryptBinary(data, size, nullptr, 0, false);
  if (needed == 0)
    return false;
  TPrefsBytes cipher(needed);
  if (mEncrypt.EncryptBinary(data, size, cipher.data(), needed, false) != 0)
    return false;
  cipher.resize(mEncrypt.GetLastSize());
  return mStore->SetValue(mInstall, user, key, cipher);
}

TPrefsDBData::ERead TPrefsDBData::GetBin(int user, str key, std::vector<unsigned char>* plain)
{
  TPrefsBytes cipher;
  if (!SelectUser(user) || !mStore->GetValue(mInstall, user, key, &cipher))
    return eAbsent;
  // Deciphering damaged bytes gives garbage or nothing, never a failure of its own.
  if (!mEncrypt.IsWholeCipher(cipher.data(), cipher.size()))
    return eUndecipherable;
  plain->assign(cipher.size() + 1, 0);
  if (mEncrypt.DecryptBinary(cipher.data(), cipher.size(), plain->data(), cipher.size(), false) != 0)
    return eUndecipherable;
  plain->resize(mEncrypt.GetLastSize());
  return eRead;
}

bool TPrefsDBData::IsStoredUndecipherable(int user, str key)
{
  TPrefsBytes cipher;
  return SelectUser(user) && mStore->GetValue(mInstall, user, key, &cipher) &&
         !mEncrypt.IsWholeCipher(cipher.data(), cipher.size());
}

unsigned int TPrefsDBData::GetNumUsers()
{
  return mInstall < 0 ? 0 : mStore->GetNumUsers(mInstall);
}

bool TPrefsDBData::RemoveUser(unsigned int index)
{
  return mInstall >= 0 && mStore->RemoveUser(mInstall, index);
}

bool TPrefsDBData::Commit(unsigned busyWaitMs)
{
  return mWritable && mStore->Commit(busyWaitMs);
}

str TPrefsDB::ConfiguredKey()
{
  str const key = TConfig::Get(TConfig::kEncryptionKey, "");
  if (key.length() == 0)
    WriteDbg("ERROR: No encryption key set before TPrefsDB construction!");
  return key;
}

TPrefsDB::TPrefsDB(bool writable) : mEncrypt(ConfiguredKey()), mWritable(writable)
{
  mKey = TConfig::Get(TConfig::kEncryptionKey, "");
  mPath = TFile::TranslateResource(kPrefsFile, false);
  mData.reset(new TPrefsDBData(mPath.c_str(), writable, mEncrypt));
}

TPrefsDB::TPrefsDB(TPrefsStore* store, bool writable) : mEncrypt(ConfiguredKey()), mWritable(writable)
{
  mKey = TConfig::Get(TConfig::kEncryptionKey, "");
  mData.reset(new TPrefsDBData(store, writable, mEncrypt));
}

TPrefsDB::~TPrefsDB()
{
  if (mWritable && !mHeld.empty()) {
    WriteDbg("ERROR: %u changes over damaged values of the preferences are not written: %s", unsigned(mHeld.size()),
             mDamageCopy.length() ? "the player was not told of the damage" : "no copy of the file could be kept");
  }
  if (!mWritable || mData->Commit(kFinalWaitMs) || !mData->Store().HasPending())
    return;
  if (WritesNothing(mData->Store().GetOpenProblem(nullptr)))
    WriteDbg("ERROR: The changes of this run are not kept: the preferences file was left alone from the start");
  else
    WriteDbg("ERROR: The preferences could not be written before the end (%s); the changes since the last "
             "save are lost",
             SaveStatusWords(mData->Store().GetStatus()));
}

void TPrefsDB::CommitIf(bool commit)
{
  if (commit && mWritable)
    mData->Commit(0);
}

ESaveStatus TPrefsDB::GetSaveStatus()
{
  return mData->Store().GetStatus();
}

bool TPrefsDB::HasUnsavedChanges()
{
  return mWritable && (mData->Store().HasPending() || !mHeld.empty());
}

bool TPrefsDB::RetrySave(unsigned busyWaitMs)
{
  return !mWritable || mData->Commit(busyWaitMs);
}

EOpenProblem TPrefsDB::GetOpenProblem(str* keptAs)
{
  return mData->Store().GetOpenProblem(keptAs);
}

bool TPrefsDB::HasDamagedValues(str* keptAs)
{
  if (keptAs)
    *keptAs = mDamageCopy;
  return !mDamaged.empty();
}

void TPrefsDB::DamageTold()
{
  if (mDamaged.empty())
    return;
  mDamageTold = true;
  // Without a copy the damaged values are all there is of them.
  if (mDamageCopy.empty() || mHeld.empty())
    return;
  std::map<TValueId, std::vector<unsigned char>> held;
  held.swap(mHeld);
  bool wrote = false;
  for (auto const& entry : held)
    wrote = mData->SetBin(entry.first.first, entry.first.second, entry.second.data(), entry.second.size()) || wrote;
  CommitIf(wrote);
}

bool TPrefsDB::IsDamaged(str const& key, int user) const
{
  return std::find(mDamaged.begin(), mDamaged.end(), TValueId(user, key)) != mDamaged.end();
}

void TPrefsDB::FoundDamage(str const& key, int user)
{
  if (IsDamaged(key, user))
    return;
  bool const first = mDamaged.empty();
  mDamaged.push_back(TValueId(user, key));
  char const* const file = mPath.length() ? mPath.c_str() : "(in memory)";
  str const whose = user < 0 ? str("the globals") : str::getFormatted("player %d", user);
  if (!mWritable) {
    WriteDbg("ERROR: The preferences file %s holds a value that cannot be deciphered: \"%s\" of %s; it reads as "
             "absent",
             file, key.c_str(), whose.c_str());
    return;
  }
  if (first)
    mDamageCopy = mData->Store().KeepCopy();
  if (mDamageCopy.length()) {
    WriteDbg("ERROR: The preferences file %s holds a value that cannot be deciphered: \"%s\" of %s; it reads as "
             "absent, the file is kept as %s, and the value is not written over before the player is told",
             file, key.c_str(), whose.c_str(), mDamageCopy.c_str());
  } else {
    WriteDbg("ERROR: The preferences file %s holds a value that cannot be deciphered: \"%s\" of %s; it reads as "
             "absent, and since no copy of the file can be kept it is not written over in this run",
             file, key.c_str(), whose.c_str());
  }
}

bool TPrefsDB::ReadValue(str const& key, int user, std::vector<unsigned char>* plain)
{
  auto const held = mHeld.find(TValueId(user, key));
  if (held != mHeld.end()) {
    *plain = held->second;
    return true;
  }
  switch (mData->GetBin(user, key, plain)) {
  case TPrefsDBData::eRead:
    return true;
  case TPrefsDBData::eUndecipherable:
    FoundDamage(key, user);
    return false;
  default:
    return false;
  }
}

bool TPrefsDB::WriteValue(str const& key, int user, void const* data, unsigned int size)
{
  // A damaged value that was never read is found here, before it is written over.
  if (!IsDamaged(key, user) && mData->IsStoredUndecipherable(user, key))
    FoundDamage(key, user);
  if (IsDamaged(key, user) && (!mDamageTold || mDamageCopy.empty())) {
    unsigned char const* bytes = static_cast<unsigned char const*>(data);
    mHeld[TValueId(user, key)].assign(bytes, bytes + size);
    return false;
  }
  return mData->SetBin(user, key, data, size);
}

str TPrefsDB::GetStr(str key, str defaultValue, int user)
{
  std::vector<unsigned char> plain;
  if (!ReadValue(key, user, &plain))
    return defaultValue;
  plain.push_back(0);
  return str(reinterpret_cast<char const*>(plain.data()));
}

void TPrefsDB::SetStr(str key, str value, int user, bool commit)
{
  if (WriteValue(key, user, value.c_str(), value.length()))
    CommitIf(commit);
}

int TPrefsDB::GetInt(str key, int defaultValue, int user)
{
  return GetStr(key, str::getFormatted("%d", defaultValue), user).to_int();
}

void TPrefsDB::SetInt(str key, int value, int user, bool commit)
{
  SetStr(key, str::getFormatted("%d", value), user, commit);
}

int TPrefsDB::GetBinary(str key, void* buffer, unsigned int size, int user)
{
  std::vector<unsigned char> plain;
  if (!ReadValue(key, user, &plain))
    return -1;
  if (!buffer || size < plain.size())
    return (int)plain.size();
  if (!plain.empty())
    std::memcpy(buffer, plain.data(), plain.size());
  return 0;
}

void TPrefsDB::SetBinary(str key, void const* data, unsigned int size, int user, bool commit)
{
  if (WriteValue(key, user, data, size))
    CommitIf(commit);
}

unsigned int TPrefsDB::GetNumUsers()
{
  return mData->GetNumUsers();
}

void TPrefsDB::DeleteUser(unsigned int index)
{
  if (index >= mData->GetNumUsers())
    return;
  if (!mData->RemoveUser(index))
    return;
  // What was found or held for the later players moves down with them.
  int const removed = int(index);
  auto moved = [removed](TValueId id) { return TValueId(id.first > removed ? id.first - 1 : id.first, id.second); };
  std::vector<TValueId> damaged;
  for (TValueId const& id : mDamaged) {
    if (id.first != removed)
      damaged.push_back(moved(id));
  }
  mDamaged.swap(damaged);
  std::map<TValueId, std::vector<unsigned char>> held;
  for (auto& entry : mHeld) {
    if (entry.first.first != removed)
      held[moved(entry.first)].swap(entry.second);
  }
  mHeld.swap(held);
  CommitIf(true);
}

void TPrefsDB::SavePrefs()
{
  CommitIf(true);
}
