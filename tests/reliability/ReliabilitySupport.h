#pragma once
// Batch runs for the reliability cases: in-process, or in a forked child that a test may kill
// or starve of disk space.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "app/BatchCommand.h"
#include "corvane/CorvaneServer.h"
#include "tests/support/TestFiles.h"

struct TRun {
  int Code = -1;
  std::string Out, Err;
};

inline TRun Batch(const std::vector<std::string>& args) {
  corvane::RegisterCorvaneServer();
  std::ostringstream out, err;
  const int code = RunBatch(args, out, err);
  return {code, out.str(), err.str()};
}

// Runs the batch in a child; Prepare runs there first (limits, signals). The child's output
// comes back through a pipe.
inline TRun BatchInChild(const std::vector<std::string>& args, const std::function<void()>& Prepare = {}) {
  int fds[2];
  if (::pipe(fds) != 0) return {};
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    if (Prepare) Prepare();
    TRun r = Batch(args);
    const std::string text = std::to_string(r.Code) + "\n" + r.Out + "\n----stderr----\n" + r.Err;
    for (std::size_t done = 0; done < text.size();) {
      const ssize_t n = ::write(fds[1], text.data() + done, text.size() - done);
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    ::_exit(0);
  }
  ::close(fds[1]);
  std::string text;
  char buf[4096];
  ssize_t n;
  while ((n = ::read(fds[0], buf, sizeof buf)) > 0) text.append(buf, static_cast<std::size_t>(n));
  ::close(fds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  TRun r;
  const std::size_t nl = text.find('\n'), sep = text.find("\n----stderr----\n");
  if (nl == std::string::npos || sep == std::string::npos) return r;
  r.Code = std::stoi(text.substr(0, nl));
  r.Out = text.substr(nl + 1, sep - nl - 1);
  r.Err = text.substr(sep + 16);
  return r;
}

// The lines under a heading of the batch output ("---- Files written ----").
inline std::vector<std::string> Section(const std::string& out, const std::string& heading) {
  std::vector<std::string> lines;
  std::istringstream in(out);
  std::string l;
  bool inside = false;
  while (std::getline(in, l)) {
    if (l.rfind("---- ", 0) == 0) {
      inside = l == "---- " + heading + " ----";
      continue;
    }
    if (inside) lines.push_back(l);
  }
  return lines;
}

// A STEP file written to its end.
inline bool WholeStepFile(const std::string& text) {
  return text.rfind("ISO-10303-21;", 0) == 0 && text.find("END-ISO-10303-21;") != std::string::npos;
}

inline std::vector<std::string> TempFilesIn(const std::string& dir) {
  std::vector<std::string> found;
  for (const auto& e : std::filesystem::recursive_directory_iterator(dir))
    if (e.path().filename().string().find(".tmp-") != std::string::npos) found.push_back(e.path().string());
  return found;
}
