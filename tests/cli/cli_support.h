// Runs karvelon-cli and captures what it prints.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "support/test_support.h"

namespace cli_testing {

struct CliRun {
  int Status;
  std::string Out;
  std::string Err;
};

inline std::string Quote(const std::string& Text) {
  std::string Quoted = "'";
  for (char c : Text)
    Quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return Quoted + "'";
}

// Runs the command line tool with Args (already quoted where needed) in directory Dir.
inline CliRun RunCli(const std::string& Args, const std::string& Dir = ".") {
  testing_support::TempFile ErrFile("", ".err");
  const std::string Command = "cd " + Quote(Dir) + " && " + Quote(KARVELON_CLI) + " " + Args +
                              " 2>" + Quote(ErrFile.Path());
  CliRun Run{-1, "", ""};
  std::FILE* pPipe = popen(Command.c_str(), "r");
  if (pPipe == nullptr) return Run;
  char acBuffer[4096];
  size_t NrRead;
  while ((NrRead = std::fread(acBuffer, 1, sizeof acBuffer, pPipe)) > 0) {
    Run.Out.append(acBuffer, NrRead);
  }
  const int Status = pclose(pPipe);
  Run.Status = WIFEXITED(Status) ? WEXITSTATUS(Status) : -1;
  Run.Err = testing_support::ReadFile(ErrFile.Path());
  return Run;
}

// What a shell command prints on standard output.
inline std::string RunShell(const std::string& Command) {
  std::string Out;
  std::FILE* pPipe = popen(Command.c_str(), "r");
  if (pPipe == nullptr) return Out;
  char acBuffer[4096];
  size_t NrRead;
  while ((NrRead = std::fread(acBuffer, 1, sizeof acBuffer, pPipe)) > 0)
    Out.append(acBuffer, NrRead);
  pclose(pPipe);
  return Out;
}

// A test with a folder of its own, made before it runs and removed after it, whatever modes the
// test left on it.
class FolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Dir = std::filesystem::temp_directory_path() /
          ("karvelon-cli-test-" + std::to_string(getpid()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(Dir);
  }
  void TearDown() override {
    std::error_code tError;
    std::filesystem::permissions(Dir, std::filesystem::perms::owner_all, tError);
    std::filesystem::remove_all(Dir, tError);
  }
  std::filesystem::path Dir;
};

inline std::string Example(const std::string& Name) {
  return std::string(KARVELON_SOURCE_DIR) + "/examples/" + Name;
}

}  // namespace cli_testing
