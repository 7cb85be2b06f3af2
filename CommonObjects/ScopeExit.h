#pragma once
// Runs a clean-up when a scope ends, by return or by exception alike. For clean-ups that are
// not the release of one object; an object with an owner type of its own needs none.
#include <exception>
#include <utility>

template <class F>
class TScopeExit {
 public:
  explicit TScopeExit(F f) : fCleanUp(std::move(f)) {}
  // A clean-up that fails after a normal end raises its error; while an error is already
  // leaving the scope, that first error is the one the caller gets.
  ~TScopeExit() noexcept(false) {
    if (!fActive) return;
    if (std::uncaught_exceptions() == fUncaught) {
      fCleanUp();
      return;
    }
    try {
      fCleanUp();
    } catch (...) {
    }
  }
  TScopeExit(const TScopeExit&) = delete;
  TScopeExit& operator=(const TScopeExit&) = delete;
  // The scope ended as planned: nothing to undo.
  void Release() { fActive = false; }

 private:
  F fCleanUp;
  int fUncaught = std::uncaught_exceptions();
  bool fActive = true;
};
