#include "files/temp_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <set>
#include <sstream>
#include <utility>

namespace files::detail {

namespace {

// --- the names of the temporary files that the signal handler removes ---

constexpr int kNrSlots = 4;  // files being written at the same time

struct TempSlotDef {
  char acPath[PATH_MAX];
  volatile std::sig_atomic_t bActive;
};
TempSlotDef atSlots[kNrSlots];

// The signals whose default ends the process. A signal that another part of the process handles
// or ignores is left as it is: its owner decided what it means (nohup, a profiler).
constexpr int aStopSignals[] = {SIGHUP,  SIGINT,  SIGQUIT,   SIGILL,  SIGABRT, SIGBUS,  SIGFPE,
                                SIGUSR1, SIGSEGV, SIGUSR2,   SIGPIPE, SIGALRM, SIGTERM, SIGSTKFLT,
                                SIGXCPU, SIGPROF, SIGVTALRM, SIGIO,   SIGPWR,  SIGSYS};
// Raised by the instruction that faults; they cannot be held back.
bool IsFault(int Signal) {
  return Signal == SIGILL || Signal == SIGBUS || Signal == SIGFPE || Signal == SIGSEGV ||
         Signal == SIGSYS || Signal == SIGABRT;
}

struct sigaction atPrevious[NSIG];
sigset_t tHeldSignals;  // the stop signals but the faults

extern "C" void RemoveTempsAndStop(int Signal, siginfo_t* ptInfo, void*) {
  for (TempSlotDef& tSlot : atSlots) {
    if (tSlot.bActive) unlink(tSlot.acPath);
  }
  sigaction(Signal, &atPrevious[Signal], nullptr);
  // A signal sent is raised again, to end the process once this returns; a fault happens again
  // when the instruction is run again.
  if (ptInfo == nullptr || ptInfo->si_code <= 0) raise(Signal);
}

template <typename Fn>
void ForEachStopSignal(Fn Each) {
  for (int Signal : aStopSignals)
    Each(Signal);
  for (int Signal = SIGRTMIN; Signal <= SIGRTMAX; Signal++)
    Each(Signal);
}

void InstallHandlers() {
  static bool bInstalled = false;
  if (bInstalled) return;
  bInstalled = true;
  struct sigaction tAction {};
  tAction.sa_sigaction = RemoveTempsAndStop;
  tAction.sa_flags = SA_SIGINFO | SA_RESTART;
  sigfillset(&tAction.sa_mask);
  sigemptyset(&tHeldSignals);
  ForEachStopSignal([&](int Signal) {
    if (sigaction(Signal, nullptr, &atPrevious[Signal]) != 0) return;
    if ((atPrevious[Signal].sa_flags & SA_SIGINFO) || atPrevious[Signal].sa_handler != SIG_DFL)
      return;
    sigaction(Signal, &tAction, nullptr);
    if (!IsFault(Signal)) sigaddset(&tHeldSignals, Signal);
  });
  std::signal(SIGXFSZ, SIG_IGN);  // a file size limit then fails the write with EFBIG
}

// Holds the stop signals back in this thread while a name changes hands.
class SignalsHeld {
 public:
  SignalsHeld() { pthread_sigmask(SIG_BLOCK, &tHeldSignals, &tOld); }
  ~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &tOld, nullptr); }

 private:
  sigset_t tOld;
};

// --- names ---

// The host in letters and digits, so that a name tells which machine's process made it.
const std::string& HostTag() {
  static const std::string Tag = [] {
    char acHost[256] = {};
    gethostname(acHost, sizeof acHost - 1);
    std::string Text;
    for (const char* pc = acHost; *pc != '\0' && *pc != '.' && Text.size() < 32; pc++) {
      if (std::isalnum(static_cast<unsigned char>(*pc))) Text += *pc;
    }
    return Text.empty() ? std::string("host") : Text;
  }();
  return Tag;
}

// ".TAG-HOST-": what follows the target's name in the name of its temporary file.
std::string Marker(const std::string& Tag) {
  return "." + Tag + "-" + HostTag() + "-";
}

constexpr size_t kNameMax = 255;

std::string TempTemplate(const std::string& Target, const std::string& Tag) {
  const std::string Tail = Marker(Tag) + std::to_string(getpid()) + "-XXXXXX";
  std::string Base = BaseName(Target);
  if (Base.size() + Tail.size() + 1 > kNameMax) Base.resize(kNameMax - Tail.size() - 1);
  return DirectoryOf(Target) + "/." + Base + Tail;
}

// The process number in a leftover's name: ".NAME" then the marker, digits, '-' and the six
// characters mkstemp chose; 0 for any other name.
long LeftoverPid(const std::string& Name, const std::string& Marker) {
  const size_t At = Name.rfind(Marker);
  if (Name.empty() || Name[0] != '.' || At == std::string::npos || At < 2) return 0;
  const std::string Rest = Name.substr(At + Marker.size());
  const size_t Dash = Rest.find('-');
  if (Dash == std::string::npos || Dash == 0 || Dash > 9 || Rest.size() != Dash + 7) return 0;
  for (size_t i = 0; i < Rest.size(); i++) {
    const auto c = static_cast<unsigned char>(Rest[i]);
    if (i < Dash ? !std::isdigit(c) : i > Dash && !std::isalnum(c)) return 0;
  }
  return std::atol(Rest.substr(0, Dash).c_str());
}

double Seconds(const timespec& tTime) {
  return tTime.tv_sec + tTime.tv_nsec / 1e9;
}

// What /proc says of a running process: its state letter and when it started, in seconds of the
// real-time clock; false when it says nothing.
bool ProcessState(long Pid, char* pcState, double* pStart) {
  std::ifstream tStat("/proc/" + std::to_string(Pid) + "/stat");
  std::string Line;
  if (!std::getline(tStat, Line)) return false;
  const size_t Close = Line.rfind(')');  // the command name may hold blanks and parentheses
  if (Close == std::string::npos) return false;
  std::istringstream tFields(Line.substr(Close + 1));
  std::string Field;
  for (int i = 3; i <= 22 && tFields >> Field; i++) {  // 3: the state; 22: the start, in ticks
    if (i == 3) *pcState = Field[0];
    if (i < 22) continue;
    timespec tNow, tSinceBoot;
    clock_gettime(CLOCK_REALTIME, &tNow);
    clock_gettime(CLOCK_BOOTTIME, &tSinceBoot);
    *pStart = Seconds(tNow) - Seconds(tSinceBoot) +
              std::atof(Field.c_str()) / static_cast<double>(sysconf(_SC_CLK_TCK));
    return true;
  }
  return false;
}

// Whether the process that made a leftover is gone: no process has its number, the one that has
// it has ended (a zombie not yet reaped), or it started after the file last changed (the maker
// was alive then, and running processes do not share numbers). A second covers the coarse clocks
// of the start.
bool MakerGone(long Pid, const struct stat& tStat) {
  if (kill(static_cast<pid_t>(Pid), 0) != 0 && errno == ESRCH) return true;
  char cState = '?';
  double Start;
  if (!ProcessState(Pid, &cState, &Start)) return false;
  return cState == 'Z' || cState == 'X' || Start > Seconds(tStat.st_ctim) + 1.0;
}

}  // namespace

std::string DirectoryOf(const std::string& Path) {
  const size_t Slash = Path.rfind('/');
  if (Slash == std::string::npos) return ".";
  return Slash == 0 ? "/" : Path.substr(0, Slash);
}

std::string BaseName(const std::string& Path) {
  const size_t Slash = Path.rfind('/');
  return Slash == std::string::npos ? Path : Path.substr(Slash + 1);
}

int CreateTemp(const std::string& Target, const std::string& Tag, int* pFd) {
  InstallHandlers();
  const std::string Template = TempTemplate(Target, Tag);
  if (Template.size() >= PATH_MAX) {
    errno = ENAMETOOLONG;
    return -1;
  }
  const SignalsHeld tHeld;
  for (int Slot = 0; Slot < kNrSlots; Slot++) {
    TempSlotDef& tSlot = atSlots[Slot];
    if (tSlot.bActive) continue;
    std::memcpy(tSlot.acPath, Template.c_str(), Template.size() + 1);
    *pFd = mkstemp(tSlot.acPath);
    if (*pFd < 0) return -1;
    tSlot.bActive = 1;
    return Slot;
  }
  errno = EMFILE;
  return -1;
}

void DropTemp(int Slot) {
  const SignalsHeld tHeld;
  if (atSlots[Slot].bActive) unlink(atSlots[Slot].acPath);
  atSlots[Slot].bActive = 0;
}

bool RenameTemp(int Slot, const std::string& Target) {
  const SignalsHeld tHeld;
  if (rename(atSlots[Slot].acPath, Target.c_str()) != 0) return false;
  atSlots[Slot].bActive = 0;
  return true;
}

std::vector<RemovedDef> RemoveLeftovers(const std::string& Folder, const std::string& Tag) {
  static std::set<std::pair<std::string, std::string>> aSwept;
  std::vector<RemovedDef> atRemoved;
  if (!aSwept.insert({Folder, Tag}).second) return atRemoved;
  DIR* pDir = opendir(Folder.c_str());
  if (pDir == nullptr) return atRemoved;
  const std::string TagMarker = Marker(Tag);
  while (const dirent* ptEntry = readdir(pDir)) {
    const std::string Name = ptEntry->d_name;
    const long Pid = LeftoverPid(Name, TagMarker);
    struct stat tStat;
    if (Pid <= 0 || fstatat(dirfd(pDir), Name.c_str(), &tStat, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(tStat.st_mode) || tStat.st_uid != geteuid() || !MakerGone(Pid, tStat)) {
      continue;
    }
    if (unlinkat(dirfd(pDir), Name.c_str(), 0) == 0)
      atRemoved.push_back({Folder + "/" + Name, Pid});
  }
  closedir(pDir);
  return atRemoved;
}

}  // namespace files::detail
