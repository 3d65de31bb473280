// hiscorewindowfixture: the shell window fixture with the hiscore service pointed at the
// loopback test server, and a wait that runs the dialogs' polls until a condition holds.
#pragma once

#include <unistd.h>

#include <chrono>
#include <functional>

#include "platform/online/simplehttp.h"
#include "support/httpserver.h"
#include "support/loopbackhttp.h"
#include "support/shellwindowfixture.h"

class HiscoreWindowTest : public ShellWindowTest
{
protected:
  void SetUp() override
  {
    ShellWindowTest::SetUp();
    if (IsSkipped())
      return;
    // Frames drawn while waiting go through the real renderer.
    manager.SetRenderer(nullptr);
    mSavedLimits = UseLoopbackHttp();
    ASSERT_TRUE(server.IsRunning());
    PointAt(server.Url());
  }
  void TearDown() override
  {
    TSimpleHttp::SetLimits(mSavedLimits);
    ShellWindowTest::TearDown();
  }

  // Makes the settings (and their hiscore service) again, over the server at url.
  void PointAt(const std::string& url)
  {
    sandbox.WriteFile("hiscoreserver.txt", url + "\n");
    TSettings::DeleteSettings();
    settings = TSettings::CreateSettings();
  }

  // Runs frames of 20 ms (the dialogs poll in their window animations) until done holds;
  // the server is real, so real time passes too.
  bool RunUntil(const std::function<bool()>& done, int timeoutMs = 8000)
  {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
      if (std::chrono::steady_clock::now() > deadline)
        return false;
      Tick(20);
      manager.DispatchMessages();
      usleep(1000);
    }
    return true;
  }

  TTestHttpServer server;
  THttpLimits mSavedLimits;
};
