#pragma once
// The program's help window: the HTML help set beside the program in a text browser, opened at a
// topic or at the page a help context number maps to.
#include <QPointer>
#include <QString>
#include <QUrl>
#include <QWidget>
#include <map>
#include <string>

class QTextBrowser;

namespace ui {

// The help set's context map: help context number -> page and anchor ("tab_options.html#holes").
// One "number=target" entry a line; lines starting with ";" are comments.
std::map<int, QString> ReadContextMap(const QString& file);
// The page a help request opens: the topic's page, else the page of the context number (the
// dialog's own page, 1000, when the number is not in the map). Empty when the set is missing.
QUrl HelpTarget(const std::string& helpFile, const std::string& topic, int context);

class THelpWindow : public QWidget {
 public:
  static THelpWindow& Instance();
  // Hides the window when one exists.
  static void CloseIfOpen();
  // True when the help set exists and its page is shown.
  bool Open(const std::string& helpFile, const std::string& topic, int context);
  QUrl CurrentUrl() const;
  QTextBrowser* Browser() const { return fBrowser; }

 private:
  THelpWindow();
  QTextBrowser* fBrowser;
  static QPointer<THelpWindow> sInstance;
};

}  // namespace ui
