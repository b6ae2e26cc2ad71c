#include "DialogKit.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QToolTip>
#include <QValidator>
#include <algorithm>
#include <cmath>
#include <utility>

#include "Enginetexts.h"
#include "Icons.h"
#include "Include.h"
#include "Platform.h"
#include "Qtexts.h"
#include "Settingsstorage.h"

namespace {

TConfirmationHook& Hook() {
  static TConfirmationHook hook;
  return hook;
}

// Judges every change of one box against the text it held before. The box
// reports itself unmodified while its text is the one the program set last,
// which is how set texts pass unchecked.
class CTypingValidator : public QValidator {
 public:
  CTypingValidator(QLineEdit* box, TTypingFix kept)
      : QValidator(box), box_(box), before_(box->text()), kept_(std::move(kept)) {
    connect(box, &QLineEdit::textChanged, this, [this](const QString& text) { before_ = text; });
  }
  State validate(QString& input, int& pos) const override {
    if (input == before_ || !box_->isModified()) return Acceptable;
    const std::optional<QString> kept = kept_(before_, input);
    if (!kept) return Invalid;
    if (*kept != input) {
      // The cursor keeps its distance from the end of the text.
      const qsizetype fromEnd = input.size() - pos;
      input = *kept;
      pos = static_cast<int>(std::clamp<qsizetype>(input.size() - fromEnd, 0, input.size()));
    }
    return Acceptable;
  }

 private:
  QLineEdit* box_;
  QString before_;  // the text before the change being judged
  TTypingFix kept_;
};

}  // namespace

void LimitTyping(QLineEdit* box, TTypingFix kept) {
  box->setValidator(new CTypingValidator(box, std::move(kept)));
  // The key has no effect on the text: the bell says it was heard.
  QObject::connect(box, &QLineEdit::inputRejected, box, [] { QApplication::beep(); });
}

void LimitTyping(QLineEdit* box, TTypingRule allowed) {
  LimitTyping(
      box, TTypingFix([allowed = std::move(allowed)](const QString& before, const QString& after) {
        return allowed(before, after) ? std::optional<QString>(after) : std::nullopt;
      }));
}

bool RefuseUnfinished(QLineEdit* box, bool unfinished) {
  if (!unfinished) return false;
  QApplication::beep();
  box->setFocus();
  box->selectAll();
  ShowUnfinishedHint(box);
  return true;
}

void ShowUnfinishedHint(QLineEdit* box) {
  const NumberFormat& format = GetSettings().GetNumberFormat();
  const std::string text =
      GetLocalizedText(30000,
                       "This amount is not read yet: the decimal separator is “%1”, and digits "
                       "after “%2” come in groups of three.");
  QToolTip::showText(box->mapToGlobal(QPoint(0, box->height())),
                     Q(text).arg(Q(format.decimalSeparator), Q(format.groupSeparator)), box);
}

std::optional<QString> ToTypedText(const std::optional<std::string>& text) {
  if (!text) return std::nullopt;
  return QString::fromStdString(*text);
}

TTypingRule MaxTypedLength(int maxLength) {
  return [maxLength](const QString& before, const QString& after) {
    return after.size() <= maxLength || after.size() <= before.size();
  };
}

void InstallMessageBoxes() {
  SetMessageHook([](const std::string& text) {
    QMessageBox::critical(QApplication::activeWindow(), qApp->applicationName(),
                          StoredToQString(LocalizeEngineMessage(text)));
  });
}

namespace {

void ShowFailure(std::string text, const std::string& reason) {
  if (!reason.empty()) text += "\n\n" + reason;
  ShowMessage(text);
}

}  // namespace

void ShowNotStored(const std::string& reason) {
  ShowFailure(GetLocalizedText(24100,
                               "The change could not be written to the database file. "
                               "Your input is kept; the log tells why."),
              reason);
}

void ShowNotDeleted(const std::string& reason) {
  ShowFailure(GetLocalizedText(24102,
                               "The item could not be deleted from the database file; "
                               "the log tells why."),
              reason);
}

QString LocalizedText(std::uint32_t id, const char* defaultText) {
  return QString::fromStdString(GetLocalizedText(id, defaultText));
}

QDate ToQDate(Date date) {
  const CivilDate day = DecodeDate(date);
  return QDate(day.year, static_cast<int>(day.month), static_cast<int>(day.day));
}

Date FromQDate(const QDate& date) {
  if (!date.isValid()) return 0.0;
  return EncodeDate(date.year(), static_cast<unsigned>(date.month()),
                    static_cast<unsigned>(date.day()));
}

QMessageBox::StandardButton AskConfirmation(QWidget* parent, const QString& text,
                                            QMessageBox::StandardButtons buttons) {
  if (Hook()) return Hook()(parent, text, buttons);
  QMessageBox box(QMessageBox::Question, parent ? parent->windowTitle() : qApp->applicationName(),
                  text, buttons, parent);
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

QMessageBox::StandardButton AskChoice(
    QWidget* parent, const QString& text,
    const std::vector<std::pair<QMessageBox::StandardButton, QString>>& choices) {
  QMessageBox::StandardButtons buttons;
  for (const auto& [button, caption] : choices) buttons |= button;
  if (Hook()) return Hook()(parent, text, buttons);
  QMessageBox box(QMessageBox::Question, parent ? parent->windowTitle() : qApp->applicationName(),
                  text, buttons, parent);
  for (const auto& [button, caption] : choices)
    if (!caption.isEmpty()) box.button(button)->setText(caption);
  if (!choices.empty()) box.setDefaultButton(choices.front().first);
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

void ShowInformation(QWidget* parent, const QString& text) {
  if (Hook()) {
    Hook()(parent, text, QMessageBox::Ok);
    return;
  }
  QMessageBox::information(parent, parent ? parent->windowTitle() : qApp->applicationName(), text);
}

void SetConfirmationHook(TConfirmationHook hook) {
  Hook() = std::move(hook);
}

QIcon ControlIcon(const QString& name) {
  static const std::pair<const char*, const char*> kIcons[] = {{"BtAdd", "add"},
                                                               {"Add1", "add"},
                                                               {"BtAddSub", "add-sub"},
                                                               {"AddSub1", "add-sub"},
                                                               {"BtEdit", "edit"},
                                                               {"Edit1", "edit"},
                                                               {"BtDel", "delete"},
                                                               {"BtDelete", "delete"},
                                                               {"Delete1", "delete"},
                                                               {"BtOk", "ok"},
                                                               {"BtOK", "ok"},
                                                               {"BtCancel", "cancel"},
                                                               {"BtExit", "close"},
                                                               {"BtClose", "close"},
                                                               {"BtNew", "new"},
                                                               {"BtOpen", "open"},
                                                               {"BtExRate", "exchange-rate"},
                                                               {"BtExport", "export"},
                                                               {"BtImport", "import"}};
  for (const auto& [control, icon] : kIcons)
    if (name == QLatin1String(control)) return PardowIcon(icon);
  return QIcon();
}

void ApplyControlIcons(QWidget* window) {
  for (QAbstractButton* button : window->findChildren<QAbstractButton*>())
    if (button->icon().isNull()) button->setIcon(ControlIcon(button->objectName()));
}

QPushButton* MakeButton(QWidget* parent, const char* name) {
  auto* button = new QPushButton(parent);
  button->setObjectName(name);
  button->setIcon(ControlIcon(QString::fromLatin1(name)));
  return button;
}

QAction* MakeAction(QMenu* menu, const char* name) {
  QAction* action = menu->addAction(QString());
  action->setObjectName(name);
  action->setIcon(ControlIcon(QString::fromLatin1(name)));
  return action;
}

TOkCancel MakeOkCancel(QDialog* dialog) {
  QPushButton* ok = MakeButton(dialog, "BtOk");
  ok->setDefault(true);
  QPushButton* cancel = MakeButton(dialog, "BtCancel");
  QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(ok);
  row->addWidget(cancel);
  return {ok, cancel, row};
}

QComboBox* MakeChoiceBox(QWidget* parent, const char* name, int minimumWidth) {
  auto* box = Named(new QComboBox(parent), name);
  box->setMinimumWidth(minimumWidth);
  box->setMaxVisibleItems(20);
  box->setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
  return box;
}
