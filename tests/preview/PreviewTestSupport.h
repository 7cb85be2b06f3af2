#pragma once
// A widget application on the offscreen platform for the top view's tests, made before any test.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

class TOffscreenQt : public ::testing::Environment {
 public:
  void SetUp() override {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "preview_tests";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) fApp = new QApplication(argc, argv);
  }

 private:
  QApplication* fApp = nullptr;  // lives until exit: Qt's font database outlives the tests
};
