// The OpenCASCADE host behind the automation interfaces.
#pragma once

#include "host/CorvaneX_TLB.h"

namespace corvane {

// A new, independent host instance.
std::shared_ptr<CorvaneX_TLB::IAutomationHook> CreateCorvaneServer();
// Makes TAutomationHook start this host; the program calls it at start-up.
void RegisterCorvaneServer();

// Whether the last cut of the part's body was made without a general boolean.
bool LastCutWasFast(const std::shared_ptr<CorvaneX_TLB::ICVPartSession>& Part);
// Why holes of that cut took the general boolean (empty when none did); for benchmarks.
std::string LastCutNote(const std::shared_ptr<CorvaneX_TLB::ICVPartSession>& Part);
// Part files written by this process are placed without parsing them while unchanged;
// this makes the next placement parse them (benchmarks and tests).
void ForgetWrittenFiles();
// Writes through OpenCASCADE's translator instead of the host's own STEP writer, for
// comparisons and benchmarks.
void UseTranslatorForWriting(bool Translator);
// Off, every cut that is not of disjoint round holes takes the general boolean, as cuts did
// before they were made in the plane; for benchmarks and tests that compare the two.
void UsePlaneCuts(bool On);
// Whether the part's body passes OpenCASCADE's shape check; for tests.
bool BodyIsValid(const std::shared_ptr<CorvaneX_TLB::ICVPartSession>& Part);

}  // namespace corvane
