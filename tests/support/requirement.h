// requirement: a test that cannot run on this machine (no OpenGL context, no mounts, no
// locale) is skipped with its reason, or fails when the environment says all must run.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

// CI sets QV_REQUIRE_ALL=1: there every requirement is installed, so a missing one is a
// fault of the machine or the build, not a reason for a test to vanish from the count.
inline bool RequirementsEnforced()
{
  char const* value = std::getenv("QV_REQUIRE_ALL");
  return value && *value && std::strcmp(value, "0") != 0;
}

// Ends the current test (or its SetUp) as skipped, or as failed when requirements are enforced.
#define QV_SKIP_UNLESS_REQUIRED(reason)                                                                                \
  do {                                                                                                                 \
    if (RequirementsEnforced()) {                                                                                      \
      FAIL() << reason << " (QV_REQUIRE_ALL is set, so this is a failure)";                                            \
    } else {                                                                                                           \
      GTEST_SKIP() << reason;                                                                                          \
    }                                                                                                                  \
  } while (0)
