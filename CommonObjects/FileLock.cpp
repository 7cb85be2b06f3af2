#include "CommonObjects/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

TFileLock::TFileLock(const std::string& Path, TWait Wait) {
  struct stat st {};
  const bool folder = ::stat(Path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  const int fd = folder ? ::open(Path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                        : ::open(Path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) {
    FError = std::strerror(errno);
    return;
  }
  const int op = LOCK_EX | (Wait == lwTry ? LOCK_NB : 0);
  while (::flock(fd, op) != 0) {
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK) FError = std::strerror(errno);
    ::close(fd);
    return;
  }
  FFd = fd;
}

TFileLock::~TFileLock() {
  if (FFd >= 0) ::close(FFd);  // closing the last descriptor releases the lock
}
