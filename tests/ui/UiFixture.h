#pragma once
// The import dialog of the sample board in its window, with settings in memory and the help
// set of the source tree.
#include <gtest/gtest.h>

#include <QTabWidget>
#include <memory>

#include "tests/support/TestFiles.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/ImportWindow.h"
#include "ui/QtFrontEnd.h"

class UiWindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  template <class W>
  W* Widget(const char* name) const {
    return window->findChild<W*>(QString::fromLatin1(name));
  }
  void ShowPage(controls::TTabSheet& sheet) { window->Pages()->setCurrentIndex(sheet.PageIndex); }

  TTempDir dir;
  std::string board;
  std::unique_ptr<ui::TQtSession> session;
  std::unique_ptr<TGetInfoFromRegistry> store;
  std::unique_ptr<TCorvaneIdfImport> d;
  std::unique_ptr<ui::TImportWindow> window;
};

// The sample board pair copied into a folder of its own, so imports write there.
std::string CopySample(const TTempDir& dir);
// Registers the OpenCASCADE host for the builds; false when the suite was built without it.
bool RegisterHost();
