#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/RecordingHost.h"

// What one import through the dialog left: the host's calls, the error log, and the calls that
// handed the host a figure, depth or placement no board can have (not finite, or beyond 10 km).
struct TDialogFuzzRun {
  std::vector<recording::TCall> HostCalls;
  std::vector<std::string> Errors;
  std::vector<std::string> AbsurdCalls;
};

// Imports one fuzz input (split as for IdfFuzzOne) through the host dialog, as a batch run does:
// shown with the board, every hole category and feature chosen, "Create Assembly" pressed, the
// model built against the recording host. The files live in DialogFuzzScratchFolder(), removed
// again before it returns.
TDialogFuzzRun DialogFuzzImport(const std::uint8_t* data, std::size_t size);
// DialogFuzzImport for the fuzzer. Returns 0; a fault shows up as a crash, a hang, an escaping
// exception or a sanitizer report; an absurd host call aborts with the call.
int DialogFuzzOne(const std::uint8_t* data, std::size_t size);
// This process's scratch folder: in memory when the system has one.
std::filesystem::path DialogFuzzScratchFolder();
