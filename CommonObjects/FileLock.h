// Advisory locks (flock) held for the lifetime of an object: the settings store serialises its
// writers on a lock file, an import holds its assembly folder against a second import.
#pragma once

#include <string>

class TFileLock {
 public:
  enum TWait { lwBlock, lwTry };
  // Opens Path (a folder is locked as it is, a missing file is created) and takes an exclusive
  // lock. Locked() is false when lwTry found it held elsewhere; Error() then stays empty. Any
  // other failure leaves Error() with the system's reason.
  TFileLock(const std::string& Path, TWait Wait);
  ~TFileLock();
  TFileLock(const TFileLock&) = delete;
  TFileLock& operator=(const TFileLock&) = delete;

  bool Locked() const { return FFd >= 0; }
  const std::string& Error() const { return FError; }

 private:
  int FFd = -1;
  std::string FError;
};
