// Opening web pages in the user's browser, and the user guide. Tests replace
// the browser through SetWebPageHook.
#pragma once

#include <QUrl>
#include <functional>
#include <string>

// Opens `url` in the user's browser; when that fails the user is told the
// address, so that it can be opened by hand.
void OpenWebPage(const QUrl& url);
// Shows the user guide, docs/guide.html in `programFolder` (the folder that
// holds Lang/, ending with '/'), in a window of its own over `parent` and
// answers it; when the file is missing the user is told where it was looked
// for (and nullptr answered).
class QWidget;
QWidget* OpenUserGuide(const std::string& programFolder, QWidget* parent);

// Answers whether the page could be opened.
using TWebPageHook = std::function<bool(const QUrl& url)>;
// Installs `hook` in place of the browser; an empty function restores it.
void SetWebPageHook(TWebPageHook hook);
