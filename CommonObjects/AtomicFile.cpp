#include "CommonObjects/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
#include <vector>

#include "CommonObjects/FileUtils.h"

namespace {
// A link is replaced through its target, however many links lead there.
std::string FollowLinks(std::string Path) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (lstat(Path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return Path;
    std::vector<char> buf(PATH_MAX + 1);
    const ssize_t n = readlink(Path.c_str(), buf.data(), PATH_MAX);
    if (n <= 0) return Path;
    std::string next(buf.data(), static_cast<size_t>(n));
    Path = next.front() == '/' ? next : ExtractFileFolder(Path) + "/" + next;
  }
  return Path;
}

void SyncFolder(const std::string& Folder) {
  const int fd = open(Folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd >= 0) {
    fsync(fd);
    close(fd);
  }
}

struct TPendingFolders {
  std::mutex Lock;
  int Runs = 0;
  std::set<std::string> Folders;
};
TPendingFolders& Pending() {
  static TPendingFolders pending;
  return pending;
}

// Now, or at the end of the run that is open.
void SyncFolderOrDefer(const std::string& Folder) {
  {
    TPendingFolders& p = Pending();
    const std::lock_guard<std::mutex> hold(p.Lock);
    if (p.Runs > 0) {
      p.Folders.insert(Folder);
      return;
    }
  }
  SyncFolder(Folder);
}
}  // namespace

TFolderFlushes::TFolderFlushes() {
  const std::lock_guard<std::mutex> hold(Pending().Lock);
  ++Pending().Runs;
}

TFolderFlushes::~TFolderFlushes() {
  // Leaving the run first: a commit after it flushes its own folder, one before it is ours.
  {
    const std::lock_guard<std::mutex> hold(Pending().Lock);
    --Pending().Runs;
  }
  Flush();
}

void TFolderFlushes::Flush() {
  std::set<std::string> folders;
  {
    const std::lock_guard<std::mutex> hold(Pending().Lock);
    folders.swap(Pending().Folders);
  }
  for (const std::string& folder : folders) SyncFolder(folder);
}

TAtomicFile::TAtomicFile(const std::string& Target, unsigned NewFileMode) : FTarget(FollowLinks(Target)) {
  std::string pattern = FTarget + ".tmp-XXXXXX";
  FFd = mkstemp(pattern.data());
  if (FFd < 0) Fail(std::strerror(errno));
  FTemp = pattern;
  // The new file keeps the old one's permissions; a new one gets the usual ones.
  struct stat st {};
  mode_t mode;
  if (stat(FTarget.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
  } else {
    const mode_t mask = umask(0);
    umask(mask);
    mode = static_cast<mode_t>(NewFileMode & 0777) & ~mask;
  }
  fchmod(FFd, mode);
}

TAtomicFile::~TAtomicFile() {
  if (FFd >= 0) close(FFd);
  if (!FCommitted && !FTemp.empty()) unlink(FTemp.c_str());
}

void TAtomicFile::Fail(const std::string& Reason) {
  if (FFd >= 0) close(FFd);
  FFd = -1;
  if (!FTemp.empty()) unlink(FTemp.c_str());
  FTemp.clear();
  throw EAtomicFileError("Cannot write " + FTarget + ": " + Reason);
}

void TAtomicFile::Write(std::string_view Data) {
  if (FFd < 0) Fail("the file is already closed");
  while (!Data.empty()) {
    const ssize_t n = ::write(FFd, Data.data(), Data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail(std::strerror(errno));
    }
    Data.remove_prefix(static_cast<size_t>(n));
  }
}

void TAtomicFile::Commit() {
  if (FCommitted) return;
  if (FTemp.empty()) Fail("the file is already closed");
  // Another writer may have written the temporary file by its path: sync what is on disk.
  if (FFd >= 0) close(FFd);
  FFd = open(FTemp.c_str(), O_RDONLY);
  if (FFd < 0 || fsync(FFd) != 0) Fail(std::strerror(errno));
  close(FFd);
  FFd = -1;
  if (rename(FTemp.c_str(), FTarget.c_str()) != 0) Fail(std::strerror(errno));
  FCommitted = true;
  SyncFolderOrDefer(ExtractFileFolder(FTarget));
}

void WriteFileAtomically(const std::string& Target, std::string_view Data) {
  TAtomicFile f(Target);
  f.Write(Data);
  f.Commit();
}

void CopyFileAtomically(const std::string& Source, const std::string& Target) {
  struct TInput {
    int Fd;
    ~TInput() {
      if (Fd >= 0) close(Fd);
    }
  } in{open(Source.c_str(), O_RDONLY | O_CLOEXEC)};
  auto readFailed = [&] { return EAtomicFileError("Cannot read " + Source + ": " + std::strerror(errno)); };
  if (in.Fd < 0) throw readFailed();
  TAtomicFile out(Target);
  std::vector<char> buf(size_t(1) << 22);
  for (;;) {
    const ssize_t n = read(in.Fd, buf.data(), buf.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw readFailed();
    if (n == 0) break;
    out.Write({buf.data(), static_cast<size_t>(n)});
  }
  out.Commit();
}
