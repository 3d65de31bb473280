// apptestutil: a throw-away resources folder and a whole platform (facade plus platform
// object) built over it, as the application builds it, for start-up and display tests.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "platform/platformdata.h"
#include "support/testfolder.h"

// Spreadsheet XML as the string tables read it.
inline std::string StringTableXml(const std::vector<std::pair<std::string, std::string>>& rows)
{
  std::string text = "<?xml version=\"1.0\"?>\n<Workbook><Worksheet><Table>\n";
  for (const auto& row : rows) {
    text += "<Row><Cell><Data ss:Type=\"String\">" + row.first + "</Data></Cell><Cell><Data ss:Type=\"String\">" +
            row.second + "</Data></Cell></Row>\n";
  }
  return text + "</Table></Worksheet></Workbook>\n";
}

class TAppSandbox
{
public:
  TAppSandbox()
  {
    mRoot = MakeTestFolder("app");
    std::filesystem::create_directories(mRoot + "/assets");
    char current[4096];
    mPreviousDir = getcwd(current, sizeof current) ? current : "/";
    setenv("QV_RESOURCES", mRoot.c_str(), 1);
    // Each test starts with empty user and common folders.
    for (char const* folder : {"user", "common"}) {
      std::error_code ignored;
      std::filesystem::remove_all(std::string(std::getenv("QV_HOME")) + "/" + folder, ignored);
    }
  }
  ~TAppSandbox()
  {
    mPlatform.reset();
    unsetenv("QV_RESOURCES");
    if (chdir(mPreviousDir.c_str()) != 0) {
      ADD_FAILURE() << "cannot return to " << mPreviousDir;
    }
    std::error_code ignored;
    std::filesystem::remove_all(mRoot, ignored);
  }

  void WriteFile(const std::string& relative, const std::string& bytes) const
  {
    std::filesystem::path path = mRoot + "/" + relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  }
  // A file in the per-user ("user") or shared ("common") data folder.
  void WriteDataFile(const std::string& folder, const std::string& name, const std::string& bytes) const
  {
    std::filesystem::path path = std::string(std::getenv("QV_HOME")) + "/" + folder + "/" + name;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  }

  // Builds the platform as QuorvantExec does, with the given arguments after the program's name.
  TPlatform* Start(std::vector<std::string> arguments = {})
  {
    arguments.insert(arguments.begin(), "quillmoor");
    mArguments = arguments;
    std::vector<char*> argv;
    for (std::string& argument : mArguments) {
      argv.push_back(&argument[0]);
    }
    argv.push_back(nullptr);
    TPlatformData* data = new TPlatformData(int(mArguments.size()), argv.data(), false);
    data->mCommandLine = BuildCommandLine(int(mArguments.size()), argv.data());
    mPlatform.reset(new TPlatform(data));
    ApplyCheatArguments(int(mArguments.size()), argv.data());
    return mPlatform.get();
  }
  void Stop() { mPlatform.reset(); }
  TPlatform* Platform() const { return mPlatform.get(); }
  const std::string& Root() const { return mRoot; }

private:
  std::string mRoot;
  std::string mPreviousDir;
  std::vector<std::string> mArguments;
  std::unique_ptr<TPlatform> mPlatform;
};
