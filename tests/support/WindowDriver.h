// Driving windows in the tests: acting on a modal window once it shows, and
// finding, typing into and clicking its controls.
#pragma once

#include <gtest/gtest.h>

#include <QWidget>
#include <functional>

// Runs `action` on the next modal window other than `outer` once it shows.
// Fails the test when none shows within `timeoutMs`, so that a window that
// never opens cannot leave a later exec() waiting forever.
void OnModal(std::function<void(QWidget*)> action, QWidget* outer = nullptr, int timeoutMs = 5000);

// Runs `action` on the next modal window once it shows, which must be a `W`.
template <class W>
void OnModalOf(std::function<void(W&)> action, QWidget* outer = nullptr) {
  OnModal(
      [action](QWidget* modal) {
        W* window = qobject_cast<W*>(modal);
        if (window == nullptr) {
          ADD_FAILURE() << "the modal window is a " << modal->metaObject()->className();
          return;
        }
        action(*window);
      },
      outer);
}

// The child of `window` named `name`, which must exist.
template <class W>
W* Find(QObject* window, const char* name) {
  W* widget = window->findChild<W*>(QString::fromLatin1(name));
  if (!widget) ADD_FAILURE() << "no control " << name;
  return widget;
}

// Replaces the text of a line edit by typing `text` into it.
class QLineEdit;
void TypeInto(QLineEdit* box, const QString& text);
void Click(QWidget* button);
// Double-clicks `item` as a mouse does: press, release, double click, release.
class QTreeWidget;
class QTreeWidgetItem;
void DoubleClick(QTreeWidget* tree, QTreeWidgetItem* item);
