// The safe writer: what a target becomes (mode, owner, links), what is refused, what a stopped
// or failing write leaves (the target as it was, nothing beside it), and the leftovers of killed
// runs. A full disk and a read-only folder are tried on real mounts by tests/faults/writers.sh.
#include "files/safe_writer.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace files {
namespace {

namespace fs = std::filesystem;
using testing_support::ReadFile;

class SafeWriterTest : public ::testing::Test {
 public:
  void SetUp() override {
    Dir = fs::temp_directory_path() /
          ("karvelon-files-test-" + std::to_string(getpid()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(Dir);
    fs::create_directories(Dir);
  }
  void TearDown() override { fs::remove_all(Dir); }

  std::string At(const std::string& Name) const { return (Dir / Name).string(); }
  void Put(const std::string& Name, const std::string& Text) const {
    std::ofstream(At(Name), std::ios::binary) << Text;
  }
  // The names in the folder, sorted.
  std::vector<std::string> Names() const {
    std::vector<std::string> aNames;
    for (const auto& tEntry : fs::directory_iterator(Dir))
      aNames.push_back(tEntry.path().filename().string());
    std::sort(aNames.begin(), aNames.end());
    return aNames;
  }
  fs::path Dir;
};

mode_t ModeOf(const std::string& Path) {
  struct stat tStat;
  return stat(Path.c_str(), &tStat) == 0 ? tStat.st_mode & 07777 : 0;
}

mode_t NewFileMode() {
  const mode_t Mask = umask(0);
  umask(Mask);
  return 0666 & ~Mask;
}

TEST_F(SafeWriterTest, TargetsKeepModeOwnerAndLinksOrAreRefused) {
  const bool bRoot = geteuid() == 0;
  const struct {
    const char* pcName;
    std::function<void(SafeWriterTest&)> Setup;
    const char* pcOpen;     // the path given
    const char* pcProblem;  // "" when written
    const char* pcWritten;  // the file that holds the new bytes
    mode_t Mode;            // its mode; 0: a new file's
  } atCases[] = {
      {"new file", [](SafeWriterTest&) {}, "t", "", "t", 0},
      {"owner-only mode kept",
       [](SafeWriterTest& t) {
         t.Put("t", "old");
         chmod(t.At("t").c_str(), 0600);
       },
       "t", "", "t", 0600},
      {"group-writable mode kept",
       [](SafeWriterTest& t) {
         t.Put("t", "old");
         chmod(t.At("t").c_str(), 0664);
       },
       "t", "", "t", 0664},
      {"through a link",
       [](SafeWriterTest& t) {
         t.Put("named", "old");
         fs::create_symlink("named", t.Dir / "link");
       },
       "link", "", "named", 0},
      {"through a link to a file not yet there",
       [](SafeWriterTest& t) { fs::create_symlink("later", t.Dir / "link"); }, "link", "", "later",
       0},
      {"hard link refused",
       [](SafeWriterTest& t) {
         t.Put("t", "old");
         fs::create_hard_link(t.Dir / "t", t.Dir / "other");
       },
       "t", "has 2 hard links, which a new file would leave with the old content", "", 0},
      {"read-only refused",
       [](SafeWriterTest& t) {
         t.Put("t", "old");
         chmod(t.At("t").c_str(), 0444);
       },
       "t", "read-only", "", 0},
      {"a folder refused", [](SafeWriterTest& t) { fs::create_directory(t.Dir / "t"); }, "t",
       "is a folder", "", 0},
      {"a missing folder refused", [](SafeWriterTest&) {}, "none/t", "its folder does not exist",
       "", 0},
  };
  for (const auto& tCase : atCases) {
    SCOPED_TRACE(tCase.pcName);
    fs::remove_all(Dir);
    fs::create_directories(Dir);
    tCase.Setup(*this);
    const std::vector<std::string> aBefore = Names();
    EXPECT_EQ(TargetProblem(At(tCase.pcOpen)), tCase.pcProblem);
    SafeWriter tWriter("test");
    const bool bWritten =
        tWriter.Open(At(tCase.pcOpen)) && tWriter.Write("new") && tWriter.Commit();
    EXPECT_EQ(bWritten, tCase.pcProblem[0] == '\0');
    if (!bWritten) {
      EXPECT_EQ(tWriter.Message(), "cannot write " + At(tCase.pcOpen) + ": " + tCase.pcProblem);
      EXPECT_EQ(Names(), aBefore);  // nothing beside it, nothing replaced
      continue;
    }
    EXPECT_EQ(ReadFile(At(tCase.pcWritten)), "new");
    EXPECT_EQ(ModeOf(At(tCase.pcWritten)), tCase.Mode != 0 ? tCase.Mode : NewFileMode());
    if (std::string(tCase.pcOpen) == "link") {
      EXPECT_TRUE(fs::is_symlink(Dir / "link"));
    }
  }

  // An administrator's write keeps the owner; breaking links is asked for and leaves the other
  // name as it was.
  fs::remove_all(Dir);
  fs::create_directories(Dir);
  Put("t", "old");
  fs::create_hard_link(Dir / "t", Dir / "other");
  if (bRoot) {
    ASSERT_EQ(chown(At("t").c_str(), 1234, 1235), 0);
  }
  std::string Message;
  ASSERT_TRUE(WriteWholeFile(At("t"), "new", "test", {.bBreakLinks = true}, &Message)) << Message;
  EXPECT_EQ(ReadFile(At("t")), "new");
  EXPECT_EQ(ReadFile(At("other")), "old");
  struct stat tStat;
  ASSERT_EQ(stat(At("t").c_str(), &tStat), 0);
  EXPECT_EQ(tStat.st_nlink, 1u);
  if (bRoot) {
    EXPECT_EQ(tStat.st_uid, 1234u);
    EXPECT_EQ(tStat.st_gid, 1235u);
  }
}

TEST_F(SafeWriterTest, StreamsAndRefusesWhenTheCheckSaysTheSourceChanged) {
  std::string Expected;
  SafeWriter tWriter("test");
  ASSERT_TRUE(tWriter.Open(At("t")));
  for (int i = 0; i < 5000; i++) {  // small pieces and, between them, pieces larger than a block
    const std::string Piece = i % 1000 == 0 ? std::string(100000, 'a' + i % 26) : "line\n";
    ASSERT_TRUE(tWriter.Write(Piece));
    Expected += Piece;
  }
  EXPECT_FALSE(fs::exists(Dir / "t"));  // not before the commit
  ASSERT_TRUE(tWriter.Commit());
  EXPECT_EQ(ReadFile(At("t")), Expected);

  Put("s", "source");
  FileStampDef tStamp;
  ASSERT_TRUE(StampFile(At("s"), &tStamp));
  EXPECT_TRUE(Unchanged(At("s"), tStamp));
  ASSERT_TRUE(tWriter.Open(At("t")));
  tWriter.Write("other");
  Put("s", "SOURCE");  // the same size, and the mtime set back: the ctime still tells
  const timespec atTimes[2] = {tStamp.Mtime, tStamp.Mtime};
  utimensat(AT_FDCWD, At("s").c_str(), atTimes, 0);
  EXPECT_FALSE(tWriter.Commit([&] { return Unchanged(At("s"), tStamp); }));
  EXPECT_EQ(tWriter.Failure(), WriteFailDef::Changed);
  EXPECT_EQ(ReadFile(At("t")), Expected);
  EXPECT_EQ(Names(), (std::vector<std::string>{"s", "t"}));
}

// Runs Child in a process of its own; its wait status.
int InChild(const std::function<void()>& Child) {
  const pid_t Pid = fork();
  if (Pid == 0) {
    Child();
    _exit(0);
  }
  int Status = 0;
  waitpid(Pid, &Status, 0);
  return Status;
}

TEST_F(SafeWriterTest, ASignalOrAFileSizeLimitLeavesTheTargetAsItWas) {
  for (int Signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGUSR1, SIGALRM, SIGXCPU, SIGABRT,
                     SIGRTMIN + 1}) {
    SCOPED_TRACE(Signal);
    Put("t", "old");
    const int Status = InChild([&] {
      SafeWriter tWriter("test");
      if (!tWriter.Open(At("t")) || !tWriter.Write(std::string(200000, 'x'))) _exit(3);
      kill(getpid(), Signal);
      _exit(4);  // not reached
    });
    EXPECT_TRUE(WIFSIGNALED(Status) && WTERMSIG(Status) == Signal) << Status;
    EXPECT_EQ(ReadFile(At("t")), "old");
    EXPECT_EQ(Names(), std::vector<std::string>{"t"});
  }
  // A write beyond the file size limit fails with the reason instead of ending the process.
  const int Status = InChild([&] {
    const rlimit tLimit{4096, 4096};
    setrlimit(RLIMIT_FSIZE, &tLimit);
    SafeWriter tWriter("test");
    const bool bWritten =
        tWriter.Open(At("t")) && tWriter.Write(std::string(100000, 'x')) && tWriter.Commit();
    _exit(!bWritten && tWriter.Message() == "cannot write " + At("t") + ": File too large" ? 0 : 5);
  });
  EXPECT_TRUE(WIFEXITED(Status) && WEXITSTATUS(Status) == 0) << Status;
  EXPECT_EQ(ReadFile(At("t")), "old");
  EXPECT_EQ(Names(), std::vector<std::string>{"t"});
}

TEST_F(SafeWriterTest, LeftoversOfKilledRunsAreRemovedWhenTheirMakerIsGone) {
  // The names a writer of this host gives, with the process number of a process that is gone
  // and of one that runs (the test's parent, which started before the file).
  char acHost[256] = {};
  gethostname(acHost, sizeof acHost - 1);
  std::string Host;
  for (const char* pc = acHost; *pc != '\0' && *pc != '.'; pc++) {
    if (std::isalnum(static_cast<unsigned char>(*pc))) Host += *pc;
  }
  const pid_t Gone = fork();
  if (Gone == 0) _exit(0);
  waitpid(Gone, nullptr, 0);
  const auto Leftover = [&](const std::string& Tag, const std::string& HostName, long Pid) {
    return ".a.pbn." + Tag + "-" + HostName + "-" + std::to_string(Pid) + "-Ab12Cd";
  };
  const std::string Removed = Leftover("test", Host, Gone);
  const std::vector<std::string> aKept = {
      Leftover("test", Host, getppid()),    // its maker may still write it
      Leftover("test", "otherhost", Gone),  // another machine's
      Leftover("other", Host, Gone),        // another command's
      ".a.pbn.test-" + Host + "-12-short",  // not a name the writer gives
      "a.pbn.test-" + Host + "-12-Ab12Cd",  // not hidden
  };
  Put(Removed, "x");
  for (const std::string& Name : aKept)
    Put(Name, "x");
  if (geteuid() == 0) {  // another user's
    Put(Leftover("test", Host, Gone + 1000000), "x");
    ASSERT_EQ(chown(At(Leftover("test", Host, Gone + 1000000)).c_str(), 1234, 1234), 0);
  }
  const std::vector<std::string> aBefore = Names();

  SafeWriter tWriter("test");
  ASSERT_TRUE(tWriter.Open(At("a.pbn")));
  tWriter.Write("new");
  ASSERT_TRUE(tWriter.Commit());
  ASSERT_EQ(tWriter.LeftoversRemoved().size(), 1u);
  EXPECT_EQ(tWriter.LeftoversRemoved()[0].Path, Dir.string() + "/" + Removed);
  EXPECT_EQ(tWriter.LeftoversRemoved()[0].Pid, Gone);
  std::vector<std::string> aAfter = aBefore;
  aAfter.erase(std::find(aAfter.begin(), aAfter.end(), Removed));
  aAfter.insert(std::lower_bound(aAfter.begin(), aAfter.end(), "a.pbn"), "a.pbn");
  EXPECT_EQ(Names(), aAfter);
}

}  // namespace
}  // namespace files
