// httpserver: a scriptable HTTP/1.1 server on 127.0.0.1 for tests, one thread with a socket;
// every wait is bounded so a broken client can never hang a test run.
#include "support/httpserver.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

// The server never lives longer than this, whatever the test does.
constexpr int kLifetimeMs = 60000;
// Longest time the server waits for a request to arrive, or stays silent.
constexpr int kReadTimeoutMs = 5000;
constexpr int kSilenceMs = 8000;

long long NowMs()
{
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

bool SendAll(int socket, const std::string& data)
{
  size_t sent = 0;
  while (sent < data.size()) {
    ssize_t n = send(socket, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) {
      return false;
    }
    sent += static_cast<size_t>(n);
  }
  return true;
}

std::string Lower(std::string text)
{
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::string StatusLine(int status)
{
  const char* reason = status == 200 ? "OK" : status == 404 ? "Not Found" : "Status";
  return "HTTP/1.1 " + std::to_string(status) + " " + reason + "\r\n";
}

} // namespace

TScriptedReply TScriptedReply::Body(const std::string& text, int status)
{
  TScriptedReply reply;
  reply.body = text;
  reply.status = status;
  return reply;
}

TTestHttpServer::TTestHttpServer()
{
  int listener = socket(AF_INET, SOCK_STREAM, 0);
  if (listener < 0) {
    return;
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof address;
  if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener, 8) != 0 ||
      getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    close(listener);
    return;
  }
  mListenSocket = listener;
  mPort = ntohs(address.sin_port);
  mThread = std::thread([this] { Run(); });
}

TTestHttpServer::~TTestHttpServer()
{
  mStop = true;
  if (mThread.joinable()) {
    mThread.join();
  }
  if (mListenSocket >= 0) {
    close(mListenSocket);
  }
}

std::string TTestHttpServer::Url(const std::string& path) const
{
  return "http://127.0.0.1:" + std::to_string(mPort) + path;
}

void TTestHttpServer::QueueReply(const TScriptedReply& reply)
{
  std::lock_guard<std::mutex> lock(mMutex);
  mReplies.push_back(reply);
}

std::vector<TRecordedRequest> TTestHttpServer::Requests()
{
  std::lock_guard<std::mutex> lock(mMutex);
  return mRequests;
}

bool TTestHttpServer::WaitForRequests(size_t count, int timeoutMs)
{
  long long deadline = NowMs() + timeoutMs;
  while (NowMs() < deadline) {
    {
      std::lock_guard<std::mutex> lock(mMutex);
      if (mRequests.size() >= count) {
        return true;
      }
    }
    usleep(1000);
  }
  return false;
}

bool TTestHttpServer::WaitForClientClose(int count, int timeoutMs)
{
  long long deadline = NowMs() + timeoutMs;
  while (NowMs() < deadline) {
    if (mClientCloses.load() >= count) {
      return true;
    }
    usleep(1000);
  }
  return false;
}

int TTestHttpServer::UnusedPort()
{
  int probe = socket(AF_INET, SOCK_STREAM, 0);
  if (probe < 0) {
    return 1;
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  int port = 1;
  if (bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    port = ntohs(address.sin_port);
  }
  close(probe); // never listened on, so connections to it are refused
  return port;
}

bool TTestHttpServer::Pause(int ms)
{
  long long deadline = NowMs() + ms;
  while (NowMs() < deadline) {
    if (mStop) {
      return false;
    }
    usleep(1000);
  }
  return true;
}

void TTestHttpServer::Run()
{
  long long end = NowMs() + kLifetimeMs;
  while (!mStop && NowMs() < end) {
    pollfd waiting{mListenSocket, POLLIN, 0};
    if (poll(&waiting, 1, 20) <= 0) {
      continue;
    }
    int connection = accept(mListenSocket, nullptr, nullptr);
    if (connection < 0) {
      continue;
    }
    Serve(connection);
    close(connection);
  }
}

bool TTestHttpServer::ReadRequest(int socket, TRecordedRequest* request)
{
  std::string data;
  long long deadline = NowMs() + kReadTimeoutMs;
  size_t headerEnd = std::string::npos;
  size_t bodyLength = 0;
  bool continueSent = false;
  char chunk[4096];
  for (;;) {
    if (headerEnd == std::string::npos) {
      headerEnd = data.find("\r\n\r\n");
      if (headerEnd != std::string::npos) {
        std::string head = data.substr(0, headerEnd);
        size_t lineEnd = head.find("\r\n");
        std::string requestLine = head.substr(0, lineEnd);
        size_t space1 = requestLine.find(' ');
        size_t space2 = requestLine.find(' ', space1 + 1);
        request->method = requestLine.substr(0, space1);
        request->target = requestLine.substr(space1 + 1, space2 - space1 - 1);
        size_t position = lineEnd == std::string::npos ? head.size() : lineEnd + 2;
        while (position < head.size()) {
          size_t next = head.find("\r\n", position);
          if (next == std::string::npos) {
            next = head.size();
          }
          std::string line = head.substr(position, next - position);
          size_t colon = line.find(':');
          if (colon != std::string::npos) {
            std::string value = line.substr(colon + 1);
            value.erase(0, value.find_first_not_of(' '));
            request->headers[Lower(line.substr(0, colon))] = value;
          }
          position = next + 2;
        }
        auto length = request->headers.find("content-length");
        if (length != request->headers.end()) {
          bodyLength = std::strtoul(length->second.c_str(), nullptr, 10);
        }
        auto expect = request->headers.find("expect");
        if (expect != request->headers.end() && Lower(expect->second) == "100-continue" && !continueSent) {
          SendAll(socket, "HTTP/1.1 100 Continue\r\n\r\n");
          continueSent = true;
        }
      }
    }
    if (headerEnd != std::string::npos && data.size() >= headerEnd + 4 + bodyLength) {
      request->body = data.substr(headerEnd + 4, bodyLength);
      return true;
    }
    int left = static_cast<int>(deadline - NowMs());
    if (left <= 0 || mStop) {
      return false;
    }
    pollfd waiting{socket, POLLIN, 0};
    if (poll(&waiting, 1, std::min(left, 20)) <= 0) {
      continue;
    }
    ssize_t n = recv(socket, chunk, sizeof chunk, 0);
    if (n <= 0) {
      return false;
    }
    data.append(chunk, static_cast<size_t>(n));
  }
}

void TTestHttpServer::WaitWhileSilent(int socket)
{
  long long deadline = NowMs() + kSilenceMs;
  char chunk[256];
  while (!mStop && NowMs() < deadline) {
    pollfd waiting{socket, POLLIN, 0};
    if (poll(&waiting, 1, 20) <= 0) {
      continue;
    }
    if (recv(socket, chunk, sizeof chunk, 0) <= 0) {
      ++mClientCloses;
      return;
    }
  }
}

void TTestHttpServer::Serve(int socket)
{
  TRecordedRequest request;
  if (!ReadRequest(socket, &request)) {
    return;
  }
  TScriptedReply reply;
  {
    std::lock_guard<std::mutex> lock(mMutex);
    mRequests.push_back(request);
    if (!mReplies.empty()) {
      reply = mReplies.front();
      mReplies.erase(mReplies.begin());
    } else {
      reply.body = "<hiscore/>";
    }
  }
  if (reply.delayMs > 0 && !Pause(reply.delayMs)) {
    return;
  }
  std::string head = StatusLine(reply.status) + "Content-Type: text/xml\r\n";
  switch (reply.mode) {
  case TScriptedReply::kBody:
    SendAll(socket, head + reply.extraHeaders + "Content-Length: " + std::to_string(reply.body.size()) +
                        "\r\nConnection: close\r\n\r\n" + reply.body);
    break;
  case TScriptedReply::kSilence:
    WaitWhileSilent(socket);
    break;
  case TScriptedReply::kTruncated:
    SendAll(socket, head + "Content-Length: " + std::to_string(reply.body.size()) + "\r\nConnection: close\r\n\r\n" +
                        reply.body.substr(0, reply.body.size() / 2));
    break;
  case TScriptedReply::kChunked: {
    std::string message = head + "Transfer-Encoding: chunked\r\nConnection: close\r\n\r\n";
    for (size_t position = 0; position < reply.body.size(); position += 7) {
      std::string piece = reply.body.substr(position, 7);
      char size[16];
      snprintf(size, sizeof size, "%zx\r\n", piece.size());
      message += size + piece + "\r\n";
    }
    SendAll(socket, message + "0\r\n\r\n");
    break;
  }
  case TScriptedReply::kCloseDelimited:
    SendAll(socket, head + "Connection: close\r\n\r\n" + reply.body);
    break;
  case TScriptedReply::kOversized: {
    std::string message = head + "Connection: close\r\n";
    if (reply.declareLength) {
      message += "Content-Length: " + std::to_string(reply.oversizeBytes) + "\r\n";
    }
    if (!SendAll(socket, message + "\r\n")) {
      break;
    }
    std::string block(16384, 'x');
    for (size_t sent = 0; sent < reply.oversizeBytes && !mStop; sent += block.size()) {
      if (!SendAll(socket, block.substr(0, std::min(block.size(), reply.oversizeBytes - sent)))) {
        break; // the client hung up, as it should
      }
    }
    break;
  }
  }
  shutdown(socket, SHUT_WR);
}
