// webhiscores: the hiscore service's web protocol: categories, global scores, score and medal
// submissions, their enciphered XML and the replies; talks HTTP through the HTTP service (IHttpRequest).
#include "core/online/hiscoresdata.h"

#include "core/foundation/xmlnode.h"
#include "core/foundation/debug.h"

#include <cstring>
#include <vector>

namespace {

const char kUnableToConnect[] = "Unable to connect to server. Please try again later.";
const char kRedirected[] =
    "The hiscore service sent the request elsewhere (HTTP %ld); nothing was taken. Please try again later.";
const char kStatusError[] = "The hiscore service answered with an error (HTTP %ld). Please try again later.";
const char kDamagedReply[] =
    "The hiscore service's reply was cut short or damaged; nothing was taken. Please try again later.";
const char kReplySource[] = "the hiscore service's reply";
const char kXmlDeclaration[] = "<?xml version=\"1.0\"?>\n";
// More categories than any game has; a reply beyond it is cut.
constexpr size_t kMaxCategories = 100;

bool IsGiven(char const* text)
{
  return text && *text;
}

// User names may not hold a NUL before their end nor any byte above 0xBF.
bool IsValidUserName(char const* name, unsigned length)
{
  if (std::strlen(name) != length) {
    return false;
  }
  for (unsigned i = 0; i < length; ++i) {
    if (static_cast<unsigned char>(name[i]) > 0xBF) {
      return false;
    }
  }
  return true;
}

// Replaces the element's end tag (and everything after it) by the insert and the end tag.
void InsertBeforeEndTag(str& text, const char* endTag, const str& insert)
{
  unsigned position = text.find(str(endTag), 4, 0);
  if (position != static_cast<unsigned>(-1)) {
    text.erase(position, -1);
  }
  text += insert;
  text += str(endTag);
}

bool Contains(const str& text, const char* pattern)
{
  return text.find(str(pattern), 0, 0) != static_cast<unsigned>(-1);
}

// Sets up a request that reads from the service; no submission waits on its reply.
IHttpRequest& PrepareQuery(TQvHiscoresData& data, const char* action)
{
  data.submittingTable = false;
  data.submittingMedals = false;
  IHttpRequest& http = data.http();
  http.Init(data.endpointUrl.c_str(), true);
  http.AddArg("lang", data.language.c_str());
  http.AddArg("ver", "1.0");
  http.AddArg("action", action);
  http.AddArg("game", data.gameHandle.c_str());
  return http;
}

// Enciphers a submission document and sets up its request: the document travels as the
// argument `field` of `action`. False, after an error line, when it cannot be enciphered.
bool PrepareSubmission(TQvHiscoresData& data, const str& text, const char* action, const char* field, const char* what)
{
  TEncrypt& cipher = *data.encryption;
  unsigned int size = cipher.EncryptBinary(text.c_str(), text.length(), nullptr, 0, true);
  std::vector<char> encoded(size + 1, 0);
  if (size == 0 || cipher.EncryptBinary(text.c_str(), text.length(), encoded.data(), size, true) != 0) {
    WriteDbg("ERROR: HiScores: cannot encipher the %s submission", what);
    return false;
  }

  IHttpRequest& http = data.http();
  http.Init(data.endpointUrl.c_str(), true);
  http.AddArg("lang", data.language.c_str());
  http.AddArg("ver", "1.0");
  http.AddArg("game", data.gameHandle.c_str());
  http.AddArg("action", action);
  http.AddArg(field, encoded.data());
  return true;
}

} // namespace

void TQvHiscores::StartRequest(int kind)
{
  mData->requestKind = kind;
  mData->outcomeKnown = false;
  mData->http().DoRequest(1);
}

void TQvHiscores::RefuseRequest()
{
  // Drops any earlier request and its reply, so the next poll reports this refusal as a
  // failure instead of the outcome of whatever ran before.
  mData->http().Init(mData->endpointUrl.c_str(), true);
  mData->requestKind = -1;
  mData->outcomeKnown = false;
  mData->submittingTable = false;
  mData->submittingMedals = false;
}

void TQvHiscores::RequestCategoryInformation()
{
  PrepareQuery(*mData, "tables");
  StartRequest(2);
}

int TQvHiscores::GetCategoryCount()
{
  return static_cast<int>(mData->categories.size());
}

bool TQvHiscores::GetCategoryName(int index, char* buffer, unsigned int length)
{
  if (!buffer || index < 0 || static_cast<size_t>(index) >= mData->categories.size()) {
    return false;
  }
  QvCopyText(mData->categories[static_cast<size_t>(index)].name, buffer, length);
  return true;
}

void TQvHiscores::RequestScores(int category)
{
  IHttpRequest& http = PrepareQuery(*mData, "get");
  http.AddArg("type", mData->gameMode.c_str());
  if (category >= 0 && static_cast<size_t>(category) < mData->categories.size()) {
    http.AddArg("table", mData->categories[static_cast<size_t>(category)].table.c_str());
  }
  http.AddArg("numScores", 500);
  if (mData->onlineUserName.length() > 0) {
    http.AddArg("username", mData->onlineUserName.c_str());
  }
  StartRequest(1);
}

bool TQvHiscores::SubmitData(str user, str password, bool remember, ESubmitMode mode)
{
  if (!IsValidUserName(user.c_str(), user.length())) {
    WriteDbg("ERROR: Invalid User name %s", user.c_str());
    RefuseRequest();
    return false;
  }
  if (mode & kSubmitScore) {
    return SubmitDataToServer(user.c_str(), password.c_str(), remember, (mode & kSubmitMedals) != 0);
  }
  if ((mode & kSubmitMedals) && GetNumMedalsEarned() >= 1) {
    return StartMedalSubmission(user.c_str(), password.c_str(), remember);
  }
  RefuseRequest();
  return false;
}

bool TQvHiscores::StartMedalSubmission(char const* user, char const* password, bool remember)
{
  TQvMedalsTable* table = mData->MedalsOf(mData->player);
  str lines = table ? table->GenerateServerString(true) : str();
  if (!SubmitMedalsToServer(lines.c_str(), user, password, remember)) {
    return false;
  }
  mData->submittingMedals = true;
  mData->submittingMedalsPlayer = mData->player;
  return true;
}

bool TQvHiscores::SubmitDataToServer(char const* user, char const* password, bool remember, bool withMedals)
{
  mData->submittingMedals = false;
  TQvHiscoreTable* table = mData->LocalTable(mData->gameMode);
  const TQvHiscoreRow* row = nullptr;
  if (table) {
    for (const TQvHiscoreRow& candidate : table->rows) {
      if (candidate.name == mData->player) {
        row = &candidate;
        break;
      }
    }
  }
  if (!row) {
    if (withMedals && GetNumMedalsEarned() >= 1) {
      return StartMedalSubmission(user, password, remember);
    }
    RefuseRequest();
    return false;
  }

  bool hasPassword = IsGiven(password);
  mData->onlineUserName = hasPassword ? str(user) : str();

  TXmlNode score("score");
  score.SetAttribute("guid", row->guid.c_str());
  if (IsGiven(user)) {
    score.SetAttribute("name", user);
  }
  if (hasPassword) {
    score.SetAttribute("password", password);
  }
  score.SetAttribute("type", mData->gameMode.c_str());
  if (mData->gameHandle.length() > 0) {
    score.SetAttribute("game", mData->gameHandle.c_str());
  }
  score.SetAttribute("score", row->score);
  if (row->gameData.length() > 0) {
    score.SetAttribute("data", row->gameData.c_str());
  }
  if (row->version.length() > 0) {
    score.SetAttribute("ver", row->version.c_str());
  }
  str text = str(kXmlDeclaration) + score.AsString();
  // Server data comes from the hiscore file, which is not trusted: it travels as text and
  // can never add elements of its own.
  if (row->serverData.length() > 0) {
    InsertBeforeEndTag(text, "</score>", xmlSafeString(row->serverData.c_str()));
  }
  bool medalsGo = false;
  if (withMedals && hasPassword) {
    TQvMedalsTable* medals = mData->MedalsOf(mData->player);
    str lines = medals ? medals->GenerateServerString(false) : str();
    if (lines.length() > 0) {
      InsertBeforeEndTag(text, "</score>", lines);
      medalsGo = true;
    }
  }

  if (!PrepareSubmission(*mData, text, "submit", "score", "score")) {
    RefuseRequest();
    return false;
  }
  mData->submittingTable = true;
  mData->submittingMode = mData->gameMode;
  mData->submittingPlayer = mData->player;
  mData->submittingMedals = medalsGo;
  mData->submittingMedalsPlayer = mData->player;
  StartRequest(0);
  ApplyRememberingRule(user, password, remember);
  return true;
}

bool TQvHiscores::SubmitMedalsToServer(char const* medalLines, char const* user, char const* password, bool remember)
{
  if (user && !IsValidUserName(user, static_cast<unsigned>(std::strlen(user)))) {
    WriteDbg("ERROR: Invalid User name %s", user);
    RefuseRequest();
    return false;
  }
  // Medals belong to an account: without a name and a password there is nothing to send.
  if (!IsGiven(medalLines) || !IsGiven(user) || !IsGiven(password)) {
    RefuseRequest();
    return false;
  }
  mData->onlineUserName = str(user);

  TXmlNode medals("medals");
  medals.SetAttribute("name", user);
  medals.SetAttribute("password", password);
  if (mData->gameHandle.length() > 0) {
    medals.SetAttribute("game", mData->gameHandle.c_str());
  }
  str text = str(kXmlDeclaration) + medals.AsString();
  InsertBeforeEndTag(text, "</medals>", str(medalLines));

  if (!PrepareSubmission(*mData, text, "medals", "medals", "medal")) {
    RefuseRequest();
    return false;
  }
  mData->submittingTable = false;
  StartRequest(0);
  ApplyRememberingRule(user, password, remember);
  return true;
}

void TQvHiscores::ApplyRememberingRule(char const* user, char const* password, bool remember)
{
  if (!remember) {
    mData->rememberedUsers.erase(mData->player);
    return;
  }
  std::unique_ptr<TQvHiscoreUserInfo>& info = mData->rememberedUsers[mData->player];
  if (!info) {
    info.reset(new TQvHiscoreUserInfo);
  }
  info->player = mData->player;
  info->name = str(user);
  info->password = str(password);
}

bool TQvHiscores::GetRememberedUserInfo(str* name, str* password)
{
  auto found = mData->rememberedUsers.find(mData->player);
  if (found == mData->rememberedUsers.end()) {
    return false;
  }
  if (name) {
    *name = found->second->name;
  }
  if (password) {
    *password = found->second->password;
  }
  return true;
}

bool TQvHiscores::ParseReturnForErrors(TXmlNode* document, TXmlNode** root)
{
  mData->message = str();
  *root = document->GetChild("hiscore");
  if (!*root) {
    WriteDbg("ERROR: HiScore XML parsing error!");
    return false;
  }
  if (TXmlNode* message = (*root)->GetChild("message")) {
    mData->message = message->GetContent();
    WriteDbg("HiScore User Message: %s\n", mData->message.c_str());
    return false;
  }
  if (TXmlNode* error = (*root)->GetChild("protocolError")) {
    WriteDbg("ERROR: HiScore Protocol Error: %s", error->GetContent().c_str());
    return false;
  }
  return true;
}

bool TQvHiscores::ReadReply(char const* reply, TXmlNode* document, TXmlNode** root)
{
  *root = nullptr;
  const unsigned long length = reply ? static_cast<unsigned long>(std::strlen(reply)) : 0;
  str fault;
  const bool whole = document->ParseWhole(reply ? reply : "", length, kReplySource, &fault);
  const long code = mData->http().GetResponseCode();
  // A redirect is not the service's answer, whatever its body holds.
  if (code >= 300 && code < 400) {
    WriteDbg("ERROR: HiScore request was redirected (HTTP %ld); the redirect is not followed", code);
    mData->message = str::getFormatted(kRedirected, code);
    return false;
  }
  // Whole means: well-formed, every element closed, no zero byte ending the text early,
  // nothing but the document around the root. A reply of the service that is not whole is
  // not read at all (a message in it neither): what it says cannot be trusted.
  if (whole && length != mData->http().GetContentsSize()) {
    fault = str::getFormatted("%s holds a zero byte", kReplySource);
  } else if (whole && document->GetContent().length() > 0) {
    fault = str::getFormatted("%s has text outside its root element", kReplySource);
  }
  if (fault.length() && document->GetChild("hiscore")) {
    WriteDbg("ERROR: HiScore reply is cut short or damaged (%s); it is not taken", fault.c_str());
    mData->message = kDamagedReply;
    return false;
  }
  // Without a "hiscore" root the common check says the reply is no answer of the service.
  if (!ParseReturnForErrors(document, root)) {
    return false;
  }
  if (code != 0 && (code < 200 || code >= 300)) {
    WriteDbg("ERROR: HiScore reply came with HTTP status %ld; it is not taken", code);
    mData->message = str::getFormatted(kStatusError, code);
    return false;
  }
  return true;
}

bool TQvHiscores::ParseCategoryData(char const* reply)
{
  mData->categories.clear();
  TXmlNode document;
  TXmlNode* root = nullptr;
  if (!ReadReply(reply, &document, &root)) {
    return false;
  }
  TXmlNode* tables = root->GetChild("tables");
  if (!tables) {
    return false;
  }
  tables->ResetChildren();
  str name;
  TXmlNode* child = nullptr;
  while (tables->GetNextChild(&name, &child)) {
    if (!(name == str("table"))) {
      continue;
    }
    if (mData->categories.size() >= kMaxCategories) {
      WriteDbg("ERROR: HiScores: more than %zu categories received; the rest are ignored", kMaxCategories);
      break;
    }
    TQvCategory category;
    category.table = child->GetAttribute("table");
    category.name = child->GetAttribute("name");
    mData->categories.push_back(category);
  }
  return true;
}

bool TQvHiscores::ParseScoreData(char const* reply)
{
  mData->globalList.rows.clear();
  mData->accountRowIndex = -1;
  TXmlNode document;
  TXmlNode* root = nullptr;
  if (!ReadReply(reply, &document, &root)) {
    return false;
  }
  TXmlNode* scores = root->GetChild("scores");
  if (!scores) {
    WriteDbg("HiScores parsed incorrectly\n");
    return false;
  }
  std::vector<TQvHiscoreRow>& rows = mData->globalList.rows;
  scores->ResetChildren();
  str name;
  TXmlNode* child = nullptr;
  while (scores->GetNextChild(&name, &child)) {
    if (!(name == str("score"))) {
      continue;
    }
    if (rows.size() >= static_cast<size_t>(kMaxRows)) {
      WriteDbg("ERROR: HiScores: more than %d scores received; the rest are ignored", kMaxRows);
      break;
    }
    TQvHiscoreRow row;
    row.name = child->GetAttribute("name");
    row.gameData = child->GetAttribute("data");
    row.serverData = child->GetAttribute("serverData");
    row.version = child->GetAttribute("ver");
    row.guid = child->GetAttribute("guid");
    row.anonymous = child->GetAttribute("anonymous") == str("true");
    row.score = QvReadInt(child->GetAttribute("score"));
    row.rank = QvReadInt(child->GetAttribute("rank"));
    row.submitted = false;
    if (mData->accountRowIndex < 0 && child->GetAttribute("account") == str("true")) {
      mData->accountRowIndex = static_cast<int>(rows.size());
    }
    rows.push_back(row);
  }
  return true;
}

void TQvHiscores::HandleSubmissionReply(TXmlNode* root, bool* scoreReply)
{
  if (!root->GetChild("medals")) {
    if (mData->submittingTable) {
      if (TQvHiscoreTable* table = mData->LocalTable(mData->submittingMode)) {
        for (TQvHiscoreRow& row : table->rows) {
          if (row.name == mData->submittingPlayer) {
            row.submitted = true;
          }
        }
      }
      SavePreferences();
    }
    mData->outcomeScoreReply = root->GetChild("score") != nullptr;
  } else {
    mData->outcomeScoreReply = false;
  }
  if (scoreReply) {
    *scoreReply = mData->outcomeScoreReply;
  }
  if (mData->submittingMedals) {
    if (TQvMedalsTable* medals = mData->MedalsOf(mData->submittingMedalsPlayer)) {
      medals->MarkAsSubmitted();
    }
    mData->submittingMedals = false;
    SavePreferences();
  }
  mData->submittingTable = false;
}

void TQvHiscores::FillInErrorMessage(char* buffer, unsigned int length)
{
  str text = mData->message.length() > 0        ? mData->message
             : mData->defaultError.length() > 0 ? mData->defaultError
                                                : str(kUnableToConnect);
  mData->message = text;
  QvCopyText(text, buffer, length);
}

int TQvHiscores::GetServerRequestStatus(char* messageBuffer, unsigned int length, bool* scoreReply)
{
  if (mData->outcomeKnown) {
    if (mData->outcome == kRequestFailed) {
      QvCopyText(mData->message, messageBuffer, length);
    } else if (scoreReply && mData->requestKind == 0) {
      *scoreReply = mData->outcomeScoreReply;
    }
    return mData->outcome;
  }

  int status = mData->http().GetStatus();
  if (status == IHttpRequest::kRunning) {
    return kRequestRunning;
  }
  int outcome = kRequestDone;
  if (status != IHttpRequest::kComplete) {
    // The transfer said why on its line; the player is told the service did answer.
    mData->message = mData->http().IsReplyDamaged()     ? str(kDamagedReply)
                     : mData->defaultError.length() > 0 ? mData->defaultError
                                                        : str(kUnableToConnect);
    QvCopyText(mData->message, messageBuffer, length);
    outcome = kRequestFailed;
  } else {
    char const* contents = mData->http().GetContents();
    mData->reply = str(contents ? contents : "");
    switch (mData->requestKind) {
    case 1:
      if (!ParseScoreData(mData->reply.c_str())) {
        if (Contains(mData->reply, "Missing required parameter: type")) {
          mData->message = "Score request failed because game mode is not valid";
        } else if (mData->categories.empty()) {
          mData->message = "Score request failed because no category information has been received yet";
        }
        FillInErrorMessage(messageBuffer, length);
        outcome = kRequestFailed;
      }
      break;
    case 2:
      if (!ParseCategoryData(mData->reply.c_str())) {
        FillInErrorMessage(messageBuffer, length);
        outcome = kRequestFailed;
      }
      break;
    case 0: {
      TXmlNode document;
      TXmlNode* root = nullptr;
      // Only a reply that passes the whole check marks anything sent.
      if (ReadReply(mData->reply.c_str(), &document, &root)) {
        HandleSubmissionReply(root, scoreReply);
      } else {
        FillInErrorMessage(messageBuffer, length);
        if (Contains(mData->reply, "hiscore.error.invalidUsernameOrPassword")) {
          mData->rememberedUsers.erase(mData->player);
          SavePreferences();
        }
        mData->submittingTable = false;
        mData->submittingMedals = false;
        outcome = kRequestFailed;
      }
      break;
    }
    default:
      break;
    }
  }
  mData->outcomeKnown = true;
  mData->outcome = outcome;
  return outcome;
}
