// httpserver: a scriptable HTTP/1.1 server on 127.0.0.1 for tests, one thread with a socket;
// it records every request and answers from a queue of scripted replies, good or broken.
#pragma once

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

struct TRecordedRequest
{
  std::string method;
  std::string target;                         // path and query as sent
  std::map<std::string, std::string> headers; // names in lower case
  std::string body;
};

struct TScriptedReply
{
  enum EMode
  {
    kBody,           // status line, Content-Length, the body
    kSilence,        // read the request, then say nothing until the client gives up
    kTruncated,      // announce the body's length, send half of it and close
    kChunked,        // the body in chunked transfer coding
    kCloseDelimited, // no length; the end of the body is the close
    kOversized,      // a body of oversizeBytes bytes, with or without a declared length
  };
  EMode mode = kBody;
  int status = 200;
  std::string body;
  int delayMs = 0; // wait before answering
  size_t oversizeBytes = 0;
  bool declareLength = true; // for kOversized
  std::string extraHeaders;  // header lines (each ending "\r\n") sent before the others of kBody

  static TScriptedReply Body(const std::string& text, int status = 200);
};

class TTestHttpServer
{
public:
  TTestHttpServer();
  ~TTestHttpServer();

  bool IsRunning() const { return mListenSocket >= 0; }
  int Port() const { return mPort; }
  std::string Url(const std::string& path = "/go/hiscore") const;

  // Replies are used in order; with the queue empty an empty "hiscore" document is sent.
  void QueueReply(const TScriptedReply& reply);
  std::vector<TRecordedRequest> Requests();
  // Waits (bounded) until at least count requests have been read completely.
  bool WaitForRequests(size_t count, int timeoutMs = 5000);
  // Number of connections the client closed while the server was still silent.
  int ClientCloses() const { return mClientCloses.load(); }
  bool WaitForClientClose(int count, int timeoutMs = 5000);

  // A loopback port with nothing listening on it, so that connecting is refused.
  static int UnusedPort();

private:
  void Run();
  void Serve(int socket);
  bool ReadRequest(int socket, TRecordedRequest* request);
  void WaitWhileSilent(int socket);
  bool Pause(int ms);

  int mListenSocket = -1;
  int mPort = 0;
  std::atomic<bool> mStop{false};
  std::atomic<int> mClientCloses{0};
  std::mutex mMutex;
  std::vector<TScriptedReply> mReplies;
  std::vector<TRecordedRequest> mRequests;
  std::thread mThread;
};

// Polls while the callable returns runningValue, at most timeoutMs; returns the last value.
// The pause between polls is real time because a real socket is on the other end.
template <class F>
int PollWhile(F poll, int runningValue, int timeoutMs = 10000)
{
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  int value = poll();
  while (value == runningValue && std::chrono::steady_clock::now() < deadline) {
    usleep(1000);
    value = poll();
  }
  return value;
}
