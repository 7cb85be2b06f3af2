// Imports through the window: the board file dialog answered by typing its name, the build with
// its progress, and the Stop button while the build holds the dialog.
#include <QApplication>
#include <QClipboard>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <cstdlib>

#include "CommonObjects/FileUtils.h"
#include "app/GuiCommands.h"
#include "tests/ui/UiFixture.h"

namespace {
int gArgc = 1;
char gName[] = "ui_tests";
char* gArgv[] = {gName, nullptr};

QPushButton* ButtonOf(const char* name) {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* b = w->findChild<QPushButton*>(QString::fromLatin1(name))) return b;
  return nullptr;
}
}  // namespace

TEST(ImportCommand, PicksTheBoardInTheFileDialogBuildsAndStaysOpen) {
  if (!RegisterHost()) GTEST_SKIP() << "built without the OpenCASCADE host";
  TTempDir dir;
  CopySample(dir);
  ::setenv("CORVANE_IDF_SETTINGS", (dir.Path() + "registry.reg").c_str(), 1);
  std::string title, phaseTitle;
  bool progressShown = false, showModelEnabled = false;
  TModalAnswers answers;
  answers
      .Then([&](QWidget* fileDialog) {
        title = fileDialog->windowTitle().toStdString();
        TypeFileName(fileDialog, dir.Path(), "sample.emn");
        // Once the window runs: Create Assembly, watching the title and the bar while it builds.
        QTimer::singleShot(200, [&] {
          QPushButton* import = ButtonOf("ImportButton");
          ASSERT_NE(import, nullptr);
          ASSERT_TRUE(import->isEnabled());
          // Every event delivered during the build runs this: what the window shows meanwhile.
          auto* watch = new QTimer(import);
          QObject::connect(watch, &QTimer::timeout, [&, import] {
            const std::string t = import->window()->windowTitle().toStdString();
            if (t.find("  -  ") != std::string::npos) phaseTitle = t;
            auto* bar = import->window()->findChild<QProgressBar*>(QStringLiteral("ProgressBar1"));
            if (bar && bar->isVisible() && bar->value() > 0 && !import->window()->findChild<QTabWidget*>()->isVisible())
              progressShown = true;
          });
          watch->start(0);
          QTest::mouseClick(import, Qt::LeftButton);
        });
      })
      .Then([&](QWidget* box) {
        Press(box, QMessageBox::Ok);
        QTimer::singleShot(0, [&] {
          showModelEnabled = ButtonOf("ShowModelButton")->isEnabled();
          ButtonOf("CancelButton")->click();
        });
      });
  EXPECT_EQ(RunImportWindow(gArgc, gArgv, ""), 0);
  ::unsetenv("CORVANE_IDF_SETTINGS");
  EXPECT_EQ(title, "Select IDF Board file");
  ASSERT_EQ(answers.Seen.size(), 2u);
  EXPECT_EQ(answers.Seen[1], "Information: Import Completed Without Errors");
  EXPECT_NE(phaseTitle.find("  -  "), std::string::npos) << phaseTitle;
  EXPECT_TRUE(progressShown);
  EXPECT_TRUE(FileExists(dir.Path() + "sample.CV_ASM"));
  EXPECT_TRUE(showModelEnabled);
  EXPECT_TRUE(DirectoryExists(dir.Path() + "sampleAutoParts"));
  // The options were saved when the import started.
  EXPECT_NE(ReadFileBytes(dir.Path() + "registry.reg").find("ImportAssemblyPath"), std::string::npos);
}

TEST_F(UiWindowTest, StopDuringTheBuildEndsItWithTheErrorAdvice) {
  if (!RegisterHost()) GTEST_SKIP() << "built without the OpenCASCADE host";
  auto* import = Widget<QPushButton>("ImportButton");
  auto* stop = Widget<QPushButton>("StopButton");
  ASSERT_TRUE(import && stop);
  EXPECT_FALSE(stop->isVisible());
  bool stopVisible = false;
  // The first event the build delivers is this click on Stop.
  QTimer::singleShot(0, [&] {
    stopVisible = stop->isVisible();
    QTest::mouseClick(stop, Qt::LeftButton);
  });
  TModalAnswers answers;
  answers.Then([](QWidget* box) { Press(box, QMessageBox::Ok); });
  QTest::mouseClick(import, Qt::LeftButton);
  EXPECT_TRUE(stopVisible);
  ASSERT_EQ(answers.Seen.size(), 1u);
  EXPECT_NE(answers.Seen[0].find("There were errors during the Import process."), std::string::npos);
  int stops = 0;
  for (const auto& l : d->FImportIDF->ErrorLog.Lines()) stops += l.rfind("Received Stop Request : ", 0) == 0;
  EXPECT_GE(stops, 2);
  EXPECT_FALSE(stop->isVisible());
  EXPECT_FALSE(Widget<QPushButton>("ShowModelButton")->isEnabled());  // nothing to show of a stopped build
  EXPECT_EQ(window->Pages()->currentIndex(), d->StatusTabSheet.PageIndex);
  EXPECT_TRUE(window->isVisible());  // the dialog stays open
}

TEST(AboutCommand, ShowsTheDetailsInABoxAndYesCopiesThem) {
  std::string text;
  TModalAnswers answers;
  answers.Then([&](QWidget* box) { text = Press(box, QMessageBox::Yes); });
  QGuiApplication::clipboard()->clear();
  EXPECT_EQ(RunAboutWindow(gArgc, gArgv), 0);
  ASSERT_TRUE(answers.Done());
  EXPECT_EQ(answers.Seen[0].rfind("Confirm: Corvane VAV Arizede\nVer : ", 0), 0u) << answers.Seen[0];
  EXPECT_NE(text.find("Corvane Version 0"), std::string::npos);
  const QStringList copied = QGuiApplication::clipboard()->text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  ASSERT_EQ(copied.size(), 5);  // the question is not copied
  EXPECT_EQ(copied[0].toStdString(), "Corvane VAV Arizede");
}
