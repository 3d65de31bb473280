// loopbackhttp: client settings for tests that talk to the loopback test server; changes the
// process environment and TSimpleHttp's limits.
#pragma once

#include <cstdlib>

#include "platform/online/simplehttp.h"

// Sends requests straight to the loopback server, past any proxy named in the environment,
// under limits short enough for a broken server to fail a test quickly. Returns the limits it
// replaced, for TSimpleHttp::SetLimits at tear-down.
inline THttpLimits UseLoopbackHttp()
{
  for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"}) {
    unsetenv(name);
  }
  THttpLimits saved = TSimpleHttp::GetLimits();
  THttpLimits limits;
  limits.connectTimeoutMs = 1000;
  limits.totalTimeoutMs = 1500;
  limits.maxReplyBytes = 64 * 1024;
  TSimpleHttp::SetLimits(limits);
  return saved;
}
