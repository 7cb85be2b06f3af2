// Help: the context map covers every numbered control, F1 opens the focused control's topic and
// the Help button the import topic, all in the program's own help window.
#include <QCheckBox>
#include <QFile>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QTextBrowser>

#include "import/PartXref.h"
#include "tests/ui/UiFixture.h"
#include "ui/HelpWindow.h"
#include "ui/PreviewPage.h"

TEST_F(UiWindowTest, EveryHelpContextNumberOpensAnExistingAnchor) {
  const QString folder = QStringLiteral(IDF_HELP_SET "/");
  const auto map = ui::ReadContextMap(folder + QStringLiteral("context.map"));
  TPartXrefForm xref;
  std::vector<const controls::TControl*> all(d->Controls().begin(), d->Controls().end());
  all.insert(all.end(), xref.Controls().begin(), xref.Controls().end());
  all.push_back(d.get());
  // The window's own views.
  controls::TControl preview, model;
  preview.HelpContext = ui::kPreviewHelpContext;
  model.HelpContext = ui::kModelHelpContext;
  all.insert(all.end(), {&preview, &model});
  for (const controls::TControl* c : all) {
    if (c->HelpContext == 0) continue;
    auto it = map.find(c->HelpContext);
    ASSERT_NE(it, map.end()) << c->Name << " " << c->HelpContext;
    const QString target = it->second;
    const QString page = target.section(QLatin1Char('#'), 0, 0);
    QFile f(folder + page);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << page.toStdString();
    const QString html = QString::fromUtf8(f.readAll());
    const QString anchor = target.section(QLatin1Char('#'), 1);
    if (!anchor.isEmpty()) {
      EXPECT_TRUE(html.contains(QStringLiteral("name=\"%1\"").arg(anchor))) << target.toStdString();
    }
  }
  for (const char* topic :
       {"Importing_IDF_files", "Updating_An_Assembly", "Setting_Up_Part_Search_Paths", "Using_Cross_Referencing"})
    EXPECT_TRUE(QFile::exists(folder + QString::fromLatin1(topic) + QStringLiteral(".html"))) << topic;
}

TEST_F(UiWindowTest, F1OpensTheFocusedControlsTopicAndHelpTheImportTopic) {
  ShowPage(d->TabSheet3);
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  auto* filter = Widget<QCheckBox>("HoleFilterCb");
  filter->setFocus();
  ASSERT_TRUE(WaitFor([&] { return filter->hasFocus(); }));
  QTest::keyClick(window->windowHandle(), Qt::Key_F1);
  ui::THelpWindow& help = ui::THelpWindow::Instance();
  EXPECT_TRUE(help.isVisible());
  EXPECT_EQ(help.CurrentUrl().fileName().toStdString(), "tab_options.html");
  EXPECT_EQ(help.CurrentUrl().fragment().toStdString(), "holefilter");
  EXPECT_TRUE(help.Browser()->toPlainText().contains(QStringLiteral("Hole Filter")));

  ShowPage(d->ImportTabSheet);
  Widget<QPushButton>("HelpButton")->click();
  EXPECT_EQ(help.CurrentUrl().fileName().toStdString(), "Importing_IDF_files.html");
  // The window's own Preview page, which holds no control, has its own page.
  window->Pages()->setCurrentWidget(window->Preview());
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  window->Pages()->tabBar()->setFocus();
  ASSERT_TRUE(WaitFor([&] { return window->Pages()->tabBar()->hasFocus(); }));
  QTest::keyClick(window->windowHandle(), Qt::Key_F1);
  EXPECT_EQ(help.CurrentUrl().fileName().toStdString(), "tab_preview.html");
  EXPECT_EQ(help.CurrentUrl().fragment().toStdString(), "preview");
  EXPECT_TRUE(help.Browser()->toPlainText().contains(QStringLiteral("Show Model")));

  // Closing the dialog closes the help with it.
  d->FormClose();
  EXPECT_FALSE(help.isVisible());
}
