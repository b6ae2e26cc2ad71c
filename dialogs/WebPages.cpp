#include "WebPages.h"

#include <QDesktopServices>
#include <QDialog>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "Include.h"
#include "Platform.h"

namespace {

TWebPageHook& Hook() {
  static TWebPageHook hook;
  return hook;
}

}  // namespace

void OpenWebPage(const QUrl& url) {
  const bool opened = Hook() ? Hook()(url) : QDesktopServices::openUrl(url);
  if (!opened)
    ShowMessage(GetLocalizedText(24145, "The page could not be opened in a web browser:") + "\n" +
                url.toString().toStdString());
}

QWidget* OpenUserGuide(const std::string& programFolder, QWidget* parent) {
  const std::string path = programFolder + "docs/guide.html";
  if (!FileExists(path)) {
    ShowMessage(GetLocalizedText(24144, "The user guide was not found. It was looked for at:") +
                "\n" + path);
    return nullptr;
  }
  // Shown in a window of the program's own, beside the main window, so that
  // it can be read on a computer without a web browser; web links in it
  // still go to the browser.
  auto* window = new QDialog(parent, Qt::Window);
  window->setObjectName("GuideWindow");
  window->setAttribute(Qt::WA_DeleteOnClose);
  auto* browser = new QTextBrowser(window);
  browser->setObjectName("GuideBrowser");
  browser->setOpenExternalLinks(true);
  browser->setSource(QUrl::fromLocalFile(QString::fromStdString(path)));
  window->setWindowTitle(browser->documentTitle());
  auto* layout = new QVBoxLayout(window);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(browser);
  window->resize(760, 640);
  window->show();
  return window;
}

void SetWebPageHook(TWebPageHook hook) {
  Hook() = std::move(hook);
}
