// testpch: the test framework and standard headers that every test program parses, made into
// one precompiled header in the sanitizer builds (QV_TEST_PCH); empty for their one C file.
#pragma once

#ifdef __cplusplus
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <boost/shared_ptr.hpp>
#include <boost/weak_ptr.hpp>
#endif
