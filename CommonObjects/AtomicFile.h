// Replacing a file whole or not at all: the new contents go to a temporary file beside the target,
// are flushed to disk and renamed over it, so a kill or a full disk at any moment leaves either the
// old file or the new one. A symbolic link is followed: its target is replaced, the link stays.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

// what() is "Cannot write FILE: REASON" with the system's reason.
struct EAtomicFileError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class TAtomicFile {
 public:
  // Creates the temporary file in the target's folder; throws EAtomicFileError. A file that is
  // new gets NewFileMode less the umask; a replaced one keeps its permissions.
  explicit TAtomicFile(const std::string& Target, unsigned NewFileMode = 0666);
  ~TAtomicFile();  // removes the temporary file unless committed
  TAtomicFile(const TAtomicFile&) = delete;
  TAtomicFile& operator=(const TAtomicFile&) = delete;

  // The file that will be replaced (a link's target) and the temporary file. A writer that wants
  // a path of its own writes TempPath() and leaves Write() alone.
  const std::string& Target() const { return FTarget; }
  const std::string& TempPath() const { return FTemp; }

  void Write(std::string_view Data);  // appends; throws EAtomicFileError
  // Flushes the temporary file to disk and renames it over the target; throws EAtomicFileError
  // (the temporary file is then removed and the target left as it was).
  void Commit();

 private:
  [[noreturn]] void Fail(const std::string& Reason);
  std::string FTarget, FTemp;
  int FFd = -1;
  bool FCommitted = false;
};

// While one is alive, a commit leaves flushing its folder's entry to it: a run that writes many
// files into one folder flushes that folder once (at Flush() or at the end) instead of after
// every file. Each file's contents are still flushed before it replaces its target, so a crash
// leaves the old file or the new one as before; only the new names wait until the run's end.
class TFolderFlushes {
 public:
  TFolderFlushes();
  ~TFolderFlushes();
  TFolderFlushes(const TFolderFlushes&) = delete;
  TFolderFlushes& operator=(const TFolderFlushes&) = delete;
  void Flush();  // the folders committed into so far
};

// The whole of Data as the new contents of Target.
void WriteFileAtomically(const std::string& Target, std::string_view Data);
// The contents of the file Source as the new contents of Target, read in pieces: a file of
// hundreds of megabytes is never held whole. Throws EAtomicFileError ("Cannot read SOURCE: ..."
// when Source fails).
void CopyFileAtomically(const std::string& Source, const std::string& Target);
