#include "Icons.h"

#include <QString>
#include <QtDebug>
#include <algorithm>
#include <array>

// The resource file is part of a static library: its registration has to be
// named, or the linker drops it.
static void InitIconResources() {
  static bool done = false;
  if (done) return;
  done = true;
  Q_INIT_RESOURCE(pardow_icons);
}

namespace {

struct TIconEntry {
  std::string_view name;   // Pardow's name, also the file name of its drawing
  std::string_view theme;  // the freedesktop name, empty for Pardow's own icons
};

constexpr std::array kIcons = {
    // Pardow's own: no theme has them.
    TIconEntry{"accounts", ""},
    TIconEntry{"add-sub", ""},
    TIconEntry{"categories", ""},
    TIconEntry{"currencies", ""},
    TIconEntry{"database", ""},
    TIconEntry{"database-manager", ""},
    TIconEntry{"exchange-rate", ""},
    TIconEntry{"export", ""},
    TIconEntry{"family", ""},
    TIconEntry{"groups", ""},
    TIconEntry{"import", ""},
    TIconEntry{"quick-expense", ""},
    TIconEntry{"reports", ""},
    TIconEntry{"sections", ""},
    // Settings sits on the tool bar among the icons above: a theme's
    // preferences-system (often 32 px and of another style) would stand out.
    TIconEntry{"settings", ""},
    // Standard actions: the theme's first.
    TIconEntry{"about", "help-about"},
    TIconEntry{"add", "list-add"},
    TIconEntry{"calendar", "x-office-calendar"},
    TIconEntry{"cancel", "dialog-cancel"},
    TIconEntry{"check-version", "system-software-update"},
    TIconEntry{"close", "window-close"},
    TIconEntry{"copy", "edit-copy"},
    TIconEntry{"delete", "edit-delete"},
    TIconEntry{"edit", "document-edit"},
    TIconEntry{"exit", "application-exit"},
    TIconEntry{"help", "help-contents"},
    TIconEntry{"home-page", "internet-web-browser"},
    TIconEntry{"new", "document-new"},
    TIconEntry{"next", "go-next"},
    TIconEntry{"ok", "dialog-ok"},
    TIconEntry{"open", "document-open"},
    TIconEntry{"previous", "go-previous"},
    TIconEntry{"print", "document-print"},
    TIconEntry{"reopen", "document-open-recent"},
    TIconEntry{"undo", "edit-undo"},
};

const TIconEntry* FindIcon(std::string_view name) {
  const auto* it = std::find_if(kIcons.begin(), kIcons.end(),
                                [name](const TIconEntry& e) { return e.name == name; });
  return it == kIcons.end() ? nullptr : it;
}

QString Latin1(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// Pardow's drawing for `name`; "reopen" shares the folder of "open".
QIcon BundledIcon(std::string_view name) {
  InitIconResources();
  if (name == "reopen") name = "open";
  return QIcon(QStringLiteral(":/pardow/icons/%1.svg").arg(Latin1(name)));
}

}  // namespace

QIcon PardowIcon(std::string_view name) {
  const TIconEntry* entry = FindIcon(name);
  if (!entry) {
    qWarning() << "PardowIcon: no icon is called" << Latin1(name);
    return QIcon();
  }
  QIcon bundled = BundledIcon(entry->name);
  if (entry->theme.empty()) return bundled;
  return QIcon::fromTheme(Latin1(entry->theme), bundled);
}

std::vector<std::string_view> PardowIconNames() {
  std::vector<std::string_view> names;
  for (const TIconEntry& e : kIcons) names.push_back(e.name);
  return names;
}

std::string_view PardowIconThemeName(std::string_view name) {
  const TIconEntry* entry = FindIcon(name);
  return entry ? entry->theme : std::string_view();
}

QIcon UndoIcon() {
  return PardowIcon("undo");
}

QIcon ApplicationIcon() {
  InitIconResources();
  return QIcon(QStringLiteral(":/pardow/icons/pardow.svg"));
}
