// buildpaths: the folders of this build that tests and benchmarks read. Their values live in a
// source file CMake writes (buildpaths.cpp.in), so that no header or compile line holds a path
// of the checkout and a compiler cache serves every clone.
#pragma once

extern const char* const gQvSourceDataDir;
extern const char* const gQvGeneratedDataDir;
extern const char* const gQvTestDataDir;
extern const char* const gQvTestBuildDir;
extern const char* const gQvSoundFixtureDir;
extern const char* const gQvE2eSourceDir;

#define QV_SOURCE_DATA_DIR gQvSourceDataDir
#define QV_GENERATED_DATA_DIR gQvGeneratedDataDir
#define QV_TEST_DATA_DIR gQvTestDataDir
#define QV_TEST_BUILD_DIR gQvTestBuildDir
#define QV_SOUND_FIXTURE_DIR gQvSoundFixtureDir
#define QV_E2E_SOURCE_DIR gQvE2eSourceDir
