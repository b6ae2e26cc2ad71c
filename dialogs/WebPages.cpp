#include "WebPages.h"

#include <QDesktopServices>

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

void OpenUserGuide(const std::string& programFolder) {
  const std::string path = programFolder + "docs/guide.html";
  if (!FileExists(path)) {
    ShowMessage(GetLocalizedText(24144, "The user guide was not found. It was looked for at:") +
                "\n" + path);
    return;
  }
  OpenWebPage(QUrl::fromLocalFile(QString::fromStdString(path)));
}

void SetWebPageHook(TWebPageHook hook) {
  Hook() = std::move(hook);
}
