// Opening web pages and the user guide in the user's browser. Tests replace
// the browser through SetWebPageHook.
#pragma once

#include <QUrl>
#include <functional>
#include <string>

// Opens `url` in the user's browser; when that fails the user is told the
// address, so that it can be opened by hand.
void OpenWebPage(const QUrl& url);
// Opens the user guide, docs/guide.html in `programFolder` (which ends with
// '/'); when the file is missing the user is told where it was looked for.
void OpenUserGuide(const std::string& programFolder);

// Answers whether the page could be opened.
using TWebPageHook = std::function<bool(const QUrl& url)>;
// Installs `hook` in place of the browser; an empty function restores it.
void SetWebPageHook(TWebPageHook hook);
