// simplehttp: one HTTP GET or POST with percent-encoded arguments, its reply kept in memory
// or written to a file; the only user of libcurl, driven through its multi interface.
#include "platform/online/simplehttp.h"

#include "core/foundation/file.h"
#include "core/foundation/percentencode.h"
#include "core/foundation/debug.h"

#include <curl/curl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <strings.h>
#include <vector>

namespace {

THttpLimits gLimits;

// curl_global_init is not thread-safe on this curl version; do it once, before the first handle.
void EnsureCurlInitialised()
{
  static bool initialised = (curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK);
  (void)initialised;
}

bool NeedsPercentCode(unsigned char c)
{
  // Control characters and DEL must never reach a request line or body raw.
  if (c <= 0x20 || c == 0x7F) {
    return true;
  }
  return std::strchr("\"#$%&+,/:;<=>?@[\\]^`{|}", c) != nullptr;
}

// The address as the log shows it: a user name and password written into it (as a
// "hiscoreserver.txt" may hold), its query and its fragment never reach the log.
str AddressForLog(const str& url)
{
  std::string text(url.c_str());
  size_t cut = text.find_first_of("?#");
  if (cut != std::string::npos) {
    text.erase(cut);
  }
  size_t hostStart = text.find("://");
  hostStart = hostStart == std::string::npos ? 0 : hostStart + 3;
  size_t hostEnd = text.find('/', hostStart);
  size_t at = text.rfind('@', hostEnd == std::string::npos ? std::string::npos : hostEnd);
  if (at != std::string::npos && at >= hostStart) {
    text.erase(hostStart, at + 1 - hostStart);
  }
  return str(text.c_str());
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TSimpleHttp

TSimpleHttp::TSimpleHttp() = default;

TSimpleHttp::~TSimpleHttp()
{
  Abandon();
}

void TSimpleHttp::SetLimits(const THttpLimits& limits)
{
  gLimits = limits;
}

THttpLimits TSimpleHttp::GetLimits()
{
  return gLimits;
}

void TSimpleHttp::Abandon()
{
  delete mTransfer;
  mTransfer = nullptr;
}

void TSimpleHttp::Init(char const* url, bool post, char const* outputFile)
{
  mUrl = str(url);
  mPost = post;
  mOutputFile = outputFile ? str(outputFile) : str();
  mArgs = str();
  mFirstArg = true;
  Abandon();
}

void TSimpleHttp::AddArg(char const* name, char const* value)
{
  if (!mFirstArg) {
    mArgs += str("&");
  } else if (!mPost) {
    mArgs += str("?");
  }
  mArgs += str(name);
  mArgs += str("=");
  if (value) {
    std::string encoded = PercentEncode(value, std::strlen(value), NeedsPercentCode);
    mArgs += str(encoded.data(), encoded.size());
  }
  mFirstArg = false;
}

void TSimpleHttp::AddArg(char const* name, int value)
{
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  AddArg(name, text);
}

void TSimpleHttp::DoRequest(int)
{
  Abandon();
  mTransfer = new THttpData(mUrl.c_str(), mOutputFile.length() ? mOutputFile.c_str() : nullptr, mArgs.c_str(), mPost);
}

int TSimpleHttp::GetStatus()
{
  if (!mTransfer) {
    return kFailed;
  }
  mTransfer->Poll();
  return mTransfer->GetStatus();
}

char const* TSimpleHttp::GetContents()
{
  if (!mTransfer || mTransfer->GetStatus() != kComplete || !mTransfer->GetBuffer()) {
    return nullptr;
  }
  return mTransfer->GetBuffer();
}

bool TSimpleHttp::IsReplyDamaged() const
{
  return mTransfer && mTransfer->IsReplyDamaged();
}

long TSimpleHttp::GetResponseCode() const
{
  return mTransfer && mTransfer->GetStatus() == kComplete ? mTransfer->GetResponseCode() : 0;
}

unsigned long TSimpleHttp::GetContentsSize() const
{
  return mTransfer && mTransfer->GetStatus() == kComplete ? mTransfer->GetSize() : 0;
}

// ---------------------------------------------------------------------------------------------
// THttpData

THttpData::THttpData(char const* url, char const* outputFile, char const* args, bool post)
    : mUrl(url), mArgs(args), mPost(post)
{
  const THttpLimits limits = gLimits;
  mMaxBytes = limits.maxReplyBytes;

  if (outputFile) {
    mFile = new TFile;
    if (!mFile->Open(str(outputFile), kFileWrite)) {
      WriteDbg("ERROR: HTTP: cannot open output file %s", outputFile);
      delete mFile;
      mFile = nullptr;
      mStatus = TSimpleHttp::kFileNotOpened;
      return;
    }
  } else {
    // Starts holding just the terminator, so an empty reply reads as "".
    mCapacity = 1;
    mBuffer = static_cast<char*>(std::calloc(1, 1));
    if (!mBuffer) {
      mStatus = TSimpleHttp::kFailed;
      return;
    }
  }

  EnsureCurlInitialised();
  CURL* easy = curl_easy_init();
  CURLM* multi = curl_multi_init();
  mEasy = easy;
  mMulti = multi;
  if (!easy || !multi) {
    WriteDbg("ERROR: HTTP: cannot create a transfer");
    Finish(TSimpleHttp::kFailed);
    return;
  }

  str fullUrl = mPost ? mUrl : mUrl + mArgs;
  curl_slist* headers = curl_slist_append(nullptr, "Expect:");
  mHeaders = headers;
  curl_easy_setopt(easy, CURLOPT_URL, fullUrl.c_str());
  curl_easy_setopt(easy, CURLOPT_USERAGENT, "qvlib/Mac");
  curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &THttpData::WriteCallback);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
  curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &THttpData::HeaderCallback);
  curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, limits.connectTimeoutMs);
  curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, limits.totalTimeoutMs);
  curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(mMaxBytes));
  if (mPost) {
    curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE, static_cast<long>(mArgs.length()));
    curl_easy_setopt(easy, CURLOPT_COPYPOSTFIELDS, mArgs.c_str());
  } else {
    curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
  }
  if (curl_multi_add_handle(multi, easy) != CURLM_OK) {
    WriteDbg("ERROR: HTTP: cannot start the transfer");
    Finish(TSimpleHttp::kFailed);
  }
}

THttpData::~THttpData()
{
  if (mMulti && mEasy) {
    curl_multi_remove_handle(static_cast<CURLM*>(mMulti), static_cast<CURL*>(mEasy));
  }
  if (mEasy) {
    curl_easy_cleanup(static_cast<CURL*>(mEasy));
  }
  if (mMulti) {
    curl_multi_cleanup(static_cast<CURLM*>(mMulti));
  }
  curl_slist_free_all(static_cast<curl_slist*>(mHeaders));
  delete mFile;
  std::free(mBuffer);
}

size_t THttpData::WriteCallback(char* data, size_t size, size_t count, void* self)
{
  THttpData* transfer = static_cast<THttpData*>(self);
  size_t bytes = size * count;
  // Any count other than the one offered makes curl end the transfer with an error.
  return transfer->WriteToBuffer(data, bytes) ? bytes : 0;
}

size_t THttpData::HeaderCallback(char* data, size_t size, size_t count, void* self)
{
  const size_t bytes = size * count;
  return static_cast<THttpData*>(self)->TakeHeader(data, bytes) ? bytes : 0;
}

bool THttpData::TakeHeader(const char* line, size_t length)
{
  std::string text(line, length);
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ' || text.back() == '\t')) {
    text.pop_back();
  }
  // Each response (an interim one among them) starts with its status line.
  if (text.compare(0, 5, "HTTP/") == 0) {
    mContentLength = str();
    return true;
  }
  const char kName[] = "content-length:";
  const size_t nameLength = sizeof kName - 1;
  if (text.size() < nameLength || strncasecmp(text.c_str(), kName, nameLength) != 0) {
    return true;
  }
  size_t start = text.find_first_not_of(" \t", nameLength);
  const str value(start == std::string::npos ? "" : text.c_str() + start);
  // Two lengths that disagree: whichever curl went by, the body cannot be trusted to be the
  // one the server meant.
  if (mContentLength.length() && !(mContentLength == value)) {
    WriteDbg("ERROR: HTTP: %s: the reply gives two lengths (Content-Length %s and %s); it is not taken",
             AddressForLog(mUrl).c_str(), mContentLength.c_str(), value.c_str());
    mLengthConflict = true;
    return false;
  }
  mContentLength = value;
  return true;
}

bool THttpData::WriteToBuffer(const char* data, size_t bytes)
{
  if (bytes > mMaxBytes - mReceived) {
    mOverflow = true;
    return false;
  }
  if (mFile) {
    if (mFile->Write(data, bytes) != bytes) {
      WriteDbg("ERROR: HTTP: writing the output file failed");
      return false;
    }
    mReceived += bytes;
    return true;
  }
  unsigned long needed = mReceived + bytes + 1;
  if (needed > mCapacity) {
    unsigned long capacity = mCapacity;
    while (capacity < needed) {
      capacity *= 2; // cannot wrap: needed stays below the reply limit plus one
    }
    char* grown = static_cast<char*>(std::realloc(mBuffer, capacity));
    if (!grown) {
      WriteDbg("ERROR: HTTP: out of memory for a reply of %lu bytes", needed);
      return false;
    }
    mBuffer = grown;
    mCapacity = capacity;
  }
  std::memcpy(mBuffer + mReceived, data, bytes);
  mReceived += bytes;
  mBuffer[mReceived] = 0;
  return true;
}

void THttpData::Poll()
{
  if (mStatus != TSimpleHttp::kRunning || !mMulti) {
    return;
  }
  CURLM* multi = static_cast<CURLM*>(mMulti);
  int running = 0;
  if (curl_multi_perform(multi, &running) != CURLM_OK) {
    WriteDbg("ERROR: HTTP: transfer failed");
    Finish(TSimpleHttp::kFailed);
    return;
  }
  int queued = 0;
  while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
    if (message->msg != CURLMSG_DONE) {
      continue;
    }
    CURLcode result = message->data.result;
    if (mLengthConflict) {
      // Said when the second length came.
      Finish(TSimpleHttp::kFailed);
      return;
    }
    if (result != CURLE_OK) {
      WriteDbg("ERROR: HTTP: %s: %s", AddressForLog(mUrl).c_str(),
               mOverflow ? "reply too large" : curl_easy_strerror(result));
      Finish(TSimpleHttp::kFailed);
      return;
    }
    long code = 0;
    curl_easy_getinfo(static_cast<CURL*>(mEasy), CURLINFO_RESPONSE_CODE, &code);
    mResponseCode = code;
    // An error status still counts as a reply when the service explains itself in a body.
    if (code >= 400 && mReceived == 0) {
      WriteDbg("ERROR: HTTP: %s answered %ld without a body", AddressForLog(mUrl).c_str(), code);
      Finish(TSimpleHttp::kFailed);
      return;
    }
    Finish(TSimpleHttp::kComplete);
    return;
  }
}

void THttpData::Finish(int status)
{
  mStatus = status;
  delete mFile; // closes the output file as soon as the transfer ends
  mFile = nullptr;
}
