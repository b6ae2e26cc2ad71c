// Small helpers every dialog uses: localized texts as QStrings, dates
// between the finance data and the date pickers, and confirmation boxes that
// tests can answer.
#pragma once

#include <QDate>
#include <QIcon>
#include <QMessageBox>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Dates.h"

// `widget` with its object name set to `name` (the control's described name,
// which tests find it by).
template <class W>
W* Named(W* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

// A button or a menu item named `name` (its objectName), captioned later
// from the language file, with the icon its name calls for (ControlIcon).
class QComboBox;
class QPushButton;
class QAction;
class QMenu;
QPushButton* MakeButton(QWidget* parent, const char* name);
QAction* MakeAction(QMenu* menu, const char* name);

// The icon of a dialog's button or menu item by its control name: BtAdd and
// Add1 add, BtEdit and Edit1 edit, BtDel, BtDelete and Delete1 delete, BtOk
// and BtOK confirm, BtCancel cancels, BtExit closes...; a null icon for
// other names.
QIcon ControlIcon(const QString& name);
// Gives every button of `window` that has no icon yet the icon of its name,
// for windows that make their buttons themselves.
void ApplyControlIcons(QWidget* window);

// The OK (default) and Cancel buttons of `dialog`, named BtOk and BtCancel,
// Cancel rejecting it, and a row that holds them at its right end. Made
// where the dialog's other controls are made, so the tab order stays.
class QDialog;
class QHBoxLayout;
struct TOkCancel {
  QPushButton* ok;
  QPushButton* cancel;
  QHBoxLayout* row;
};
TOkCancel MakeOkCancel(QDialog* dialog);

// A list box of choices named `name`, at least `minimumWidth` wide, whose
// long lists scroll instead of covering the screen.
QComboBox* MakeChoiceBox(QWidget* parent, const char* name, int minimumWidth);

// GetLocalizedText as a QString.
QString LocalizedText(std::uint32_t id, const char* defaultText);

// A finance date (days since 30 Dec 1899) as a calendar day, and back; the
// time of day is dropped.
QDate ToQDate(Date date);
Date FromQDate(const QDate& date);

// Lets the user type or paste into `box` only changes that `allowed(before,
// after)` accepts; a refused change is undone at once, as if the key had not
// been pressed, and the bell sounds. Texts the program sets are never checked
// or cut, so a box always shows what is stored even beyond the typing limits.
class QLineEdit;
using TTypingRule = std::function<bool(const QString& before, const QString& after)>;
void LimitTyping(QLineEdit* box, TTypingRule allowed);
// The same for a rule that may also correct an accepted change: `kept(before,
// after)` gives the text the box takes instead of `after`, or nothing to
// refuse it.
using TTypingFix =
    std::function<std::optional<QString>(const QString& before, const QString& after)>;
void LimitTyping(QLineEdit* box, TTypingFix kept);
// When `unfinished` is true for the text of `box` (an amount still being
// typed): sounds the bell, puts the focus into the box with its text
// selected, says beside it how the amount is typed, and gives true, so that
// the caller refuses OK; else false.
bool RefuseUnfinished(QLineEdit* box, bool unfinished);
// Says beside `box` that its amount is not read until its digit groups are
// whole, naming the decimal and group separators of the user's format.
void ShowUnfinishedHint(QLineEdit* box);
// A plain text rule's answer as a TTypingFix answer.
std::optional<QString> ToTypedText(const std::optional<std::string>& text);
// The rule for a text box: at most `maxLength` characters, except that a
// longer text the program filled in may be shortened or kept.
TTypingRule MaxTypedLength(int maxLength);

// Shows an error message box (critical icon) with `text` to the user.
// Tests replace it through SetMessageHook (Platform.h): errors reach the
// user through ShowMessage.
void InstallMessageBoxes();

// Tells the user that a change (ShowNotStored) or a delete (ShowNotDeleted)
// did not reach the database file, with `reason` (the file's own error, see
// CDataBase::GetLastWriteError) below when there is one.
void ShowNotStored(const std::string& reason);
void ShowNotDeleted(const std::string& reason);

// Asks the user a question in a message box and answers the button pressed.
// Tests replace the box through SetConfirmationHook.
QMessageBox::StandardButton AskConfirmation(QWidget* parent, const QString& text,
                                            QMessageBox::StandardButtons buttons);
// Asks like AskConfirmation, with buttons that say what they do: `choices`
// lists the buttons with their captions (an empty caption keeps the
// standard one), the first being the default. Tests answer it through the
// confirmation hook, which sees the buttons as one set.
QMessageBox::StandardButton AskChoice(
    QWidget* parent, const QString& text,
    const std::vector<std::pair<QMessageBox::StandardButton, QString>>& choices);
// Tells the user of a result that needs no answer (an information box with
// OK). Tests see it through the confirmation hook, as a question with the
// one button QMessageBox::Ok.
void ShowInformation(QWidget* parent, const QString& text);
using TConfirmationHook = std::function<QMessageBox::StandardButton(
    QWidget* parent, const QString& text, QMessageBox::StandardButtons buttons)>;
// Installs `hook` in place of the message box; an empty function restores it.
void SetConfirmationHook(TConfirmationHook hook);
