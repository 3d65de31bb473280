// hiscorefile: "user:hiscore.dat", the enciphered XML of remembered logins, local tables and
// medals followed by an enciphered checksum; written atomically, verified before it is read.
#include "core/online/hiscoresdata.h"

#include "core/foundation/atomicfile.h"
#include "core/foundation/file.h"
#include "core/foundation/xmlnode.h"
#include "core/foundation/debug.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

static const char HISCORE_PREF_FILE[] = "user:hiscore.dat";

namespace {

// Far above any real file (a few tables of at most 500 rows), small enough to read at once.
constexpr unsigned long kMaxFileBytes = 16ul * 1024 * 1024;

void Checksum(const unsigned char* bytes, unsigned long count, unsigned char sum[4])
{
  std::memset(sum, 0, 4);
  for (unsigned long i = 0; i < count; ++i) {
    sum[i % 4] ^= bytes[i];
  }
}

void SetIfNotEmpty(TXmlNode* node, const char* name, const str& value)
{
  if (value.length() > 0) {
    node->SetAttribute(name, value.c_str());
  }
}

// Runs `take` on every top-level element of a parsed hiscore text.
template <class F>
void ForEachElement(TXmlNode& document, F take)
{
  document.ResetChildren();
  str name;
  TXmlNode* element = nullptr;
  while (document.GetNextChild(&name, &element)) {
    take(name, element);
  }
}

// The text parsed on its own, as the public parsers take it: its damage is reported under the
// hiscore file's name.
void ParseText(char const* text, TXmlNode* document)
{
  if (text) {
    document->ParseString(text, HISCORE_PREF_FILE);
  }
}

} // namespace

void TQvHiscores::SavePreferences()
{
  if (!mData->saveEnabled) {
    return;
  }
  // Until the file is written, the tables hold something it lacks.
  mData->unsaved = true;
  if (mData->openProblem == eOpenedDamagedKept) {
    // The damaged file may still hold the only copy of some scores.
    mData->saveStatus = eSaveFailed;
    return;
  }

  str text("<?xml version=\"1.0\"?>\n");
  for (const auto& entry : mData->rememberedUsers) {
    TXmlNode user("user");
    user.SetAttribute("player", entry.second->player.c_str());
    user.SetAttribute("name", entry.second->name.c_str());
    user.SetAttribute("pass", entry.second->password.c_str());
    text += user.AsString();
  }
  for (const auto& entry : mData->localTables) {
    TXmlNode score("score");
    score.SetAttribute("name", entry.second->name.c_str());
    for (const TQvHiscoreRow& row : entry.second->rows) {
      TXmlNode* element = score.CreateChild("row");
      element->SetAttribute("rank", row.rank);
      element->SetAttribute("score", row.score);
      element->SetAttribute("submit", row.submitted ? 1 : 0);
      SetIfNotEmpty(element, "guid", row.guid);
      SetIfNotEmpty(element, "name", row.name);
      SetIfNotEmpty(element, "gameData", row.gameData);
      SetIfNotEmpty(element, "serverData", row.serverData);
      SetIfNotEmpty(element, "version", row.version);
    }
    text += score.AsString();
  }
  for (const auto& entry : mData->medals) {
    TXmlNode medals("medals");
    medals.SetAttribute("user", entry.first.c_str());
    for (const TQvMedalEntry& medal : entry.second->mEntries) {
      TXmlNode* element = medals.CreateChild("medal");
      element->SetAttribute("medalname", medal.name.c_str());
      element->SetAttribute("type", medal.kind.c_str());
      element->SetAttribute("mode", medal.mode.c_str());
      element->SetAttribute("gameData", medal.gameData.c_str());
      element->SetAttribute("submit", medal.submitted ? 1 : 0);
    }
    text += medals.AsString();
  }

  TEncrypt& cipher = *mData->encryption;
  unsigned int plainSize = text.length() + 1; // the terminator is enciphered too
  unsigned int payloadSize = cipher.EncryptBinary(text.c_str(), plainSize, nullptr, 0, false);
  std::vector<unsigned char> payload(payloadSize);
  if (payloadSize == 0 || cipher.EncryptBinary(text.c_str(), plainSize, payload.data(), payloadSize, false) != 0) {
    WriteDbg("ERROR: HiScores: cannot encipher the hiscore file");
    mData->saveStatus = eSaveFailed;
    return;
  }
  unsigned char sum[4];
  Checksum(payload.data(), payloadSize, sum);
  unsigned char sumBlock[8];
  if (cipher.EncryptBinary(sum, 4, sumBlock, sizeof sumBlock, false) != 0) {
    WriteDbg("ERROR: HiScores: cannot encipher the hiscore checksum");
    mData->saveStatus = eSaveFailed;
    return;
  }

  // A crash or a full disk must never leave a half-written file nor lose the scores saved before.
  payload.insert(payload.end(), sumBlock, sumBlock + sizeof sumBlock);
  mData->unsaved = !SaveFileAtomically(str(HISCORE_PREF_FILE), payload.data(), payload.size(), &mData->saveStatus);
}

void TQvHiscores::KeepDamagedFile(const char* reason, bool recovered)
{
  const str path = TFile::TranslateForWriting(str(HISCORE_PREF_FILE));
  const char* const kept = recovered ? "keeping what was read before the damage" : "ignoring its saved score data";
  if (!mData->saveEnabled) {
    // Nothing will replace it.
    WriteDbg("ERROR: HiScores: %s is damaged (%s); %s", path.c_str(), reason, kept);
    return;
  }
  const str aside = path.length() ? KeepDamagedCopy(path) : str();
  if (aside.length() == 0) {
    WriteDbg("ERROR: HiScores: %s is damaged (%s) and no copy of it can be kept aside (%s); it is left as it "
             "is and this run's scores are not written to it",
             path.c_str(), reason, errno == EEXIST ? "there are already enough copies" : std::strerror(errno));
    mData->openProblem = eOpenedDamagedKept;
    return;
  }
  WriteDbg("ERROR: HiScores: %s is damaged (%s); %s, the file is kept as %s", path.c_str(), reason, kept,
           aside.c_str());
  mData->openProblem = recovered ? eOpenedDamagedRecovered : eOpenedDamagedReplaced;
  mData->keptAs = aside;
  if (recovered) {
    // What was read goes to a new file at once: until then there is none.
    SavePreferences();
  }
}

bool TQvHiscores::HasUnsavedChanges() const
{
  return mData->saveEnabled && mData->unsaved;
}

ESaveStatus TQvHiscores::GetSaveStatus() const
{
  return mData->saveStatus;
}

EOpenProblem TQvHiscores::GetOpenProblem(str* keptAs) const
{
  if (keptAs) {
    *keptAs = mData->keptAs;
  }
  return mData->openProblem;
}

void TQvHiscores::LoadPreferences()
{
  TFile file;
  if (!file.Open(str(HISCORE_PREF_FILE), kFileRead)) {
    return;
  }
  // Whatever is wrong with the file, the next save would replace it: a copy is kept first.
  unsigned long size = file.Size();
  if (size < 9) {
    file.Close();
    KeepDamagedFile(str::getFormatted("%lu bytes, too short for a hiscore file", size).c_str());
    return;
  }
  if (size > kMaxFileBytes) {
    file.Close();
    KeepDamagedFile(str::getFormatted("%lu bytes, more than a hiscore file can be", size).c_str());
    return;
  }
  std::vector<unsigned char> bytes(size);
  file.Seek(0, kSeekStart);
  if (file.Read(bytes.data(), size) != size) {
    file.Close();
    KeepDamagedFile("it cannot be read whole");
    return;
  }
  file.Close();

  // The checksum is verified before anything of the payload is deciphered or parsed.
  TEncrypt& cipher = *mData->encryption;
  unsigned long payloadSize = size - 8;
  unsigned char computed[4];
  Checksum(bytes.data(), payloadSize, computed);
  unsigned char stored[8];
  bool matches = payloadSize % 8 == 0 && cipher.DecryptBinary(bytes.data() + payloadSize, 8, nullptr, 0, false) == 4 &&
                 cipher.DecryptBinary(bytes.data() + payloadSize, 8, stored, 4, false) == 0 &&
                 std::memcmp(stored, computed, 4) == 0;
  if (!matches) {
    KeepDamagedFile("Checksum did not match!");
    return;
  }

  unsigned int plainSize =
      cipher.DecryptBinary(bytes.data(), static_cast<unsigned int>(payloadSize), nullptr, 0, false);
  // One byte more than the plain text, so the text is terminated whatever it holds.
  std::vector<char> text(plainSize + 1, 0);
  if (plainSize > 0 &&
      cipher.DecryptBinary(bytes.data(), static_cast<unsigned int>(payloadSize), text.data(), plainSize, false) != 0) {
    KeepDamagedFile("it cannot be deciphered");
    return;
  }
  text[plainSize] = 0;

  // Parsed once: its damage is one fault, said once, with what follows from it.
  TXmlNode document;
  str failure;
  const bool whole = document.ParseWhole(text.data(), std::strlen(text.data()), HISCORE_PREF_FILE, &failure);
  TakeRememberedUsers(&document);
  TakeLocalScores(&document);
  TakeMedals(&document);
  if (!whole) {
    KeepDamagedFile(str::getFormatted("its XML is damaged: %s", failure.c_str()).c_str(), true);
  }
}

void TQvHiscores::ParseRememberedUserPreferences(char const* text)
{
  TXmlNode document;
  ParseText(text, &document);
  TakeRememberedUsers(&document);
}

void TQvHiscores::ParseSavedLocalScores(char const* text)
{
  TXmlNode document;
  ParseText(text, &document);
  TakeLocalScores(&document);
}

void TQvHiscores::ParseSavedMedals(char const* text)
{
  TXmlNode document;
  ParseText(text, &document);
  TakeMedals(&document);
}

void TQvHiscores::TakeRememberedUsers(TXmlNode* document)
{
  ForEachElement(*document, [&](const str& name, TXmlNode* element) {
    if (!(name == str("user"))) {
      return;
    }
    std::unique_ptr<TQvHiscoreUserInfo> user(new TQvHiscoreUserInfo);
    user->player = element->GetAttribute("player");
    user->name = element->GetAttribute("name");
    user->password = element->GetAttribute("pass");
    str player = user->player;
    mData->rememberedUsers[player] = std::move(user);
  });
}

void TQvHiscores::TakeLocalScores(TXmlNode* document)
{
  ForEachElement(*document, [&](const str& name, TXmlNode* element) {
    if (!(name == str("score"))) {
      return;
    }
    std::unique_ptr<TQvHiscoreTable> table(new TQvHiscoreTable);
    table->name = element->GetAttribute("name");
    element->ResetChildren();
    str childName;
    TXmlNode* child = nullptr;
    bool truncated = false;
    while (element->GetNextChild(&childName, &child)) {
      if (!(childName == str("row"))) {
        continue;
      }
      if (table->rows.size() >= static_cast<size_t>(kMaxRows)) {
        truncated = true;
        break;
      }
      TQvHiscoreRow row;
      row.rank = QvReadInt(child->GetAttribute("rank"));
      row.score = QvReadInt(child->GetAttribute("score"));
      row.submitted = QvReadInt(child->GetAttribute("submit")) >= 1;
      row.guid = child->GetAttribute("guid");
      row.name = child->GetAttribute("name");
      row.gameData = child->GetAttribute("gameData");
      row.serverData = child->GetAttribute("serverData");
      row.version = child->GetAttribute("version");
      row.anonymous = true;
      table->rows.push_back(row);
    }
    if (truncated) {
      WriteDbg("ERROR: HiScores: table %s holds more than %d rows; the rest are ignored", table->name.c_str(),
               kMaxRows);
    }
    if (table->rows.empty()) {
      return;
    }
    str mode = table->name;
    mData->localTables[mode] = std::move(table);
  });
}

void TQvHiscores::TakeMedals(TXmlNode* document)
{
  ForEachElement(*document, [&](const str& name, TXmlNode* element) {
    if (!(name == str("medals"))) {
      return;
    }
    str user = element->GetAttribute("user");
    if (user.length() == 0) {
      return;
    }
    std::unique_ptr<TQvMedalsTable> table(new TQvMedalsTable);
    element->ResetChildren();
    str childName;
    TXmlNode* child = nullptr;
    while (element->GetNextChild(&childName, &child)) {
      if (!(childName == str("medal"))) {
        continue;
      }
      TQvMedalEntry entry;
      entry.name = child->GetAttribute("medalname");
      entry.kind = child->GetAttribute("type");
      entry.mode = child->GetAttribute("mode");
      entry.gameData = child->GetAttribute("gameData");
      entry.submitted = QvReadInt(child->GetAttribute("submit")) > 0;
      table->mEntries.push_back(entry);
    }
    mData->medals[user] = std::move(table);
  });
}
