// The icons of Pardow's windows, looked up by Pardow's own names.
//
// A standard action ("new", "open", "delete", "print", "undo"...) takes the
// desktop's icon theme's icon of its freedesktop name (document-new,
// document-open, edit-delete, document-print, edit-undo...) and falls back to
// Pardow's drawing when the theme has none. The things a database holds and
// the windows that show them ("currencies", "accounts", "categories",
// "family", "sections", "database", "reports", "import", "export"...) have no
// standard names and are always Pardow's own drawings, and so is "settings",
// which shares their tool bar. The drawings are SVGs
// bundled in the program (resources/icons/pardow/), rendered by QtSvg at the
// size and device pixel ratio asked for, so they stay sharp on any screen.
#pragma once

#include <QIcon>
#include <string_view>
#include <vector>

// The icon called `name` (one of PardowIconNames()); an unknown name gives a
// null icon and a warning on the console.
QIcon PardowIcon(std::string_view name);

// Every name PardowIcon knows.
std::vector<std::string_view> PardowIconNames();

// The freedesktop theme name a standard action looks for first; empty for
// Pardow's own icons, which never come from the theme.
std::string_view PardowIconThemeName(std::string_view name);

// The icon of commands that take back a change ("Undo import"): edit-undo.
QIcon UndoIcon();

// The program's own mark (a ledger and a coin), for the window icon; the
// installed copies in share/icons/hicolor give the desktop the same picture.
QIcon ApplicationIcon();
