// debug_test: the debug log writes whole lines to standard error, and the failure handler
// routes its reports there.
#include "core/foundation/debug.h"

#include <gtest/gtest.h>

#include <string>

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

TEST(Debug, WriteDbgFormatsOneLine)
{
  CaptureStderr();
  WriteDbg("ERROR: Command window %s not found", "options");
  WriteDbg("%d%%", 50);
  EXPECT_EQ(GetCapturedStderr(), "ERROR: Command window options not found\n50%\n");
}

TEST(Debug, LongMessagesAreWrittenWhole)
{
  std::string longText(100000, 'x');
  longText[99999] = 'y';
  CaptureStderr();
  WriteDbg("<%s>", longText.c_str());
  EXPECT_EQ(GetCapturedStderr(), "<" + longText + ">\n");
}

TEST(Debug, NullFormatWritesNothing)
{
  CaptureStderr();
  WriteDbg(nullptr);
  EXPECT_EQ(GetCapturedStderr(), "");
}

TEST(Debug, FailureHandlerPutsFileFirst)
{
  TFailure handler;
  CaptureStderr();
  handler.Failure("bad value", 12, "a.lua");
  handler.Status("particles ready");
  EXPECT_EQ(GetCapturedStderr(), "a.lua(12): bad value\nparticles ready\n");
}

TEST(Debug, SubclassesReceiveReports)
{
  struct Collecting : TFailure
  {
    std::string seen;
    void Failure(char const* message, int line, char const* file) override
    {
      seen += std::string(file) + ":" + std::to_string(line) + ":" + message;
    }
  } handler;
  TFailure* base = &handler;
  CaptureStderr();
  base->Failure("oops", 3, "f.lua");
  EXPECT_EQ(GetCapturedStderr(), "");
  EXPECT_EQ(handler.seen, "f.lua:3:oops");
  EXPECT_EQ(qvGetTotalAllocated(), 0ul);
  EXPECT_EQ(qvGetMaxAllocated(), 0ul);
  ResetDbg("log");
}
