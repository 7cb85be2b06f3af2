#pragma once
// Runs of `corvane-idf batch` from a dialog test: a scripted platform stands by, a temporary folder
// holds the boards, and the OpenCASCADE host, when built, is registered as the program does.
#include <sstream>
#include <string>
#include <vector>

#include "app/BatchCommand.h"
#ifdef IDF_TESTS_WITH_OCCT
#include "corvane/CorvaneServer.h"
#endif
#include "tests/support/DialogTestSupport.h"
#include "tests/support/TestFiles.h"

struct TBatchRun {
  int Code;
  std::string Out, Err;
};

class BatchTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
#ifdef IDF_TESTS_WITH_OCCT
    corvane::RegisterCorvaneServer();
#endif
  }
  void TearDown() override {
    CorvaneX_TLB::RegisterAutomationServer(nullptr);
    DialogTest::TearDown();
  }
  // The command with exactly these arguments.
  static TBatchRun Run(const std::vector<std::string>& args, bool errIsTerminal = false) {
    std::ostringstream out, err;
    const int code = RunBatch(args, out, err, errIsTerminal);
    return {code, out.str(), err.str()};
  }
  // A run on the default settings whose assembly goes to a folder of its own, never beside the
  // sample files.
  TBatchRun Batch(std::vector<std::string> args) const {
    args.insert(args.end(), {"--no-settings", "--assembly-dir", AssemblyDir()});
    return Run(args);
  }
  std::string AssemblyDir() const { return Folder() + "asm/"; }
  static std::string Sample(const std::string& name = "sample") { return SamplesDir() + name + ".emn"; }
  std::string Settings() const { return (dir / "cfg" / "registry.reg").string(); }
  static bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
  }
};
