// simplehttp: one HTTP GET or POST with percent-encoded arguments, its reply kept in memory
// or written to a file; the transfer runs on libcurl and advances only when the caller polls.
#pragma once

#include "core/foundation/services.h"
#include "core/foundation/str.h"

#include <cstddef>

class THttpData;
class TFile;

// Bounds on one transfer; a transfer that passes any of them fails (status 2).
struct THttpLimits
{
  long connectTimeoutMs = 10000;
  long totalTimeoutMs = 30000;
  unsigned long maxReplyBytes = 4ul * 1024 * 1024;
};

// The engine's HTTP requests (IHttpRequest), over curl.
class TSimpleHttp : public IHttpRequest
{
public:
  TSimpleHttp();
  ~TSimpleHttp() override;

  // Starts a new request description; abandons a transfer still in flight.
  void Init(char const* url, bool post, char const* outputFile = nullptr) override;
  void AddArg(char const* name, char const* value) override;
  void AddArg(char const* name, int value) override;
  // Starts the transfer; the argument is kept for callers written against the old interface.
  void DoRequest(int unused = 1) override;
  // Lets the transfer make progress (without blocking) and reports its state.
  int GetStatus() override;
  // The reply, NUL-terminated, once the status is complete; null otherwise.
  char const* GetContents() override;
  // The length of the reply (it may hold NUL bytes); 0 unless the status is complete.
  unsigned long GetContentsSize() const override;
  // The HTTP status of the completed transfer (a redirect is not followed: it is the 3xx
  // itself); 0 unless the status is complete.
  long GetResponseCode() const override;
  bool IsReplyDamaged() const override;

  // Process-wide limits for transfers started afterwards (tests shorten them).
  static void SetLimits(const THttpLimits& limits);
  static THttpLimits GetLimits();

private:
  TSimpleHttp(const TSimpleHttp&) = delete;
  TSimpleHttp& operator=(const TSimpleHttp&) = delete;
  void Abandon();

  str mUrl;
  str mArgs;
  str mOutputFile;
  bool mFirstArg = true;
  bool mPost = false;
  THttpData* mTransfer = nullptr;
};

// One transfer. Owned by its TSimpleHttp; abandoning it closes the connection at once.
class THttpData
{
public:
  THttpData(char const* url, char const* outputFile, char const* args, bool post);
  ~THttpData();

  int GetStatus() const { return mStatus; }
  // Advances the transfer as far as it can go without waiting.
  void Poll();
  char const* GetBuffer() const { return mBuffer; }
  unsigned long GetSize() const { return mReceived; }
  long GetResponseCode() const { return mResponseCode; }
  // The reply named two different lengths, and the transfer failed for it.
  bool IsReplyDamaged() const { return mLengthConflict; }

private:
  THttpData(const THttpData&) = delete;
  THttpData& operator=(const THttpData&) = delete;
  static std::size_t WriteCallback(char* data, std::size_t size, std::size_t count, void* self);
  static std::size_t HeaderCallback(char* data, std::size_t size, std::size_t count, void* self);
  // Takes one header line of the reply; false ends the transfer.
  bool TakeHeader(const char* line, std::size_t length);
  bool WriteToBuffer(const char* data, std::size_t bytes);
  void Finish(int status);

  void* mMulti = nullptr;   // CURLM*
  void* mEasy = nullptr;    // CURL*
  void* mHeaders = nullptr; // curl_slist*
  TFile* mFile = nullptr;
  str mUrl;
  str mArgs;
  unsigned long mReceived = 0;
  unsigned long mCapacity = 0;
  unsigned long mMaxBytes = 0;
  char* mBuffer = nullptr;
  bool mPost = false;
  bool mOverflow = false;
  // The Content-Length of the response being read ("" before one came), and whether a
  // second one disagreed with it.
  str mContentLength;
  bool mLengthConflict = false;
  int mStatus = 0;
  long mResponseCode = 0;
};
