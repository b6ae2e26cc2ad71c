#include "Unitconvert.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTableWidget>
#include <QVBoxLayout>

#include "Delimited.h"
#include "DialogKit.h"
#include "Include.h"
#include "Platform.h"
#include "Qtexts.h"

namespace {

enum TColumn { kAccount, kCurrency, kSource, kStored, kColumnCount };

QTableWidgetItem* Cell(const QString& text, bool number = false) {
  auto* item = new QTableWidgetItem(text);
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  if (number) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
  return item;
}

}  // namespace

TFormConvert::TFormConvert(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FormConvert"));
  setWindowTitle(LocalizedText(30776, "New Database from Another Program"));
  LbSummary = Named(new QLabel(this), "LbSummary");
  LbSummary->setWordWrap(true);
  AccountsGrid = Named(new QTableWidget(0, kColumnCount, this), "AccountsGrid");
  AccountsGrid->setHorizontalHeaderLabels(
      {LocalizedText(30781, "Account"), LocalizedText(30782, "Currency"),
       LocalizedText(30783, "Balance in the source"), LocalizedText(30784, "Balance stored")});
  AccountsGrid->verticalHeader()->hide();
  AccountsGrid->horizontalHeader()->setSectionResizeMode(kAccount, QHeaderView::Stretch);
  for (int c : {kCurrency, kSource, kStored})
    AccountsGrid->horizontalHeader()->setSectionResizeMode(c, QHeaderView::ResizeToContents);
  AccountsGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
  LbNotImported = Named(new QLabel(this), "LbNotImported");
  LbNotImported->setWordWrap(true);
  LbNotImported->setTextFormat(Qt::RichText);
  LbNotImported->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  // A long list scrolls instead of squeezing the accounts.
  auto* notImportedArea = new QScrollArea(this);
  notImportedArea->setWidget(LbNotImported);
  notImportedArea->setWidgetResizable(true);
  notImportedArea->setFrameShape(QFrame::NoFrame);
  notImportedArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  notImportedArea->setMaximumHeight(150);
  CBCurrency = Named(new QComboBox(this), "CBCurrency");
  CBCurrency->setEditable(true);
  CBCurrency->addItems({"EUR", "USD", "GBP", "CHF", "RUB", "PLN", "SEK", "CZK", "JPY", "CAD"});
  EdFileName = Named(new QLineEdit(this), "EdFileName");
  LbResult = Named(new QLabel(this), "LbResult");
  LbResult->setWordWrap(true);
  LbResult->hide();
  const TOkCancel buttons = MakeOkCancel(this);
  BtCreate = buttons.ok;
  BtCreate->setObjectName(QStringLiteral("BtCreate"));
  BtCreate->setText(LocalizedText(30788, "&Create database"));
  BtCancel = buttons.cancel;
  BtCancel->setText(LocalizedText(2, "Cancel"));
  auto* form = new QFormLayout;
  form->addRow(LocalizedText(30786, "Currency of accounts the file names none for:"), CBCurrency);
  form->addRow(LocalizedText(30787, "New database:"), EdFileName);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(LbSummary);
  layout->addWidget(AccountsGrid, 1);
  layout->addWidget(notImportedArea);
  layout->addLayout(form);
  layout->addWidget(LbResult);
  layout->addLayout(buttons.row);
  resize(680, 480);
  connect(BtCreate, &QPushButton::clicked, this, &TFormConvert::BtCreateClick);
  // The accounts without a currency of their own show the one chosen.
  connect(CBCurrency, &QComboBox::currentTextChanged, this, [this](const QString& code) {
    if (FBook != nullptr && BtCreate->isEnabled())
      ShowAccounts(SummarizeBook(*FBook, {code.trimmed().toUpper().toStdString()}).accounts, false);
  });
}

std::string TFormConvert::Execute(const CForeignBook& book, const std::string& source,
                                  const std::string& folder) {
  FBook = &book;
  FFolder = folder;
  FResult.clear();
  const CConvertSummary summary = SummarizeBook(book, {CBCurrency->currentText().toStdString()});
  std::string text = GetLocalizedText(30780, "From %1: %2, %3, %4.");
  const auto replace = [&](const char* mark, const std::string& by) {
    if (const std::size_t at = text.find(mark); at != std::string::npos) text.replace(at, 2, by);
  };
  replace("%2", GetLocalizedCount(30777, "%1 account|%1 accounts",
                                  static_cast<long long>(summary.accounts.size())));
  replace("%3", GetLocalizedCount(30778, "%1 category|%1 categories",
                                  static_cast<long long>(summary.categories)));
  replace("%4", GetLocalizedCount(30779, "%1 transaction|%1 transactions",
                                  static_cast<long long>(summary.transactions)));
  // The file's name last: it may hold "%2" itself.
  replace("%1", QFileInfo(Q(source)).fileName().toStdString() + " (" + book.format + ")");
  LbSummary->setText(Q(text));
  // A list, so that a reason running over a line stays indented.
  QString left;
  for (const CForeignNote& note : summary.notImported)
    left += QStringLiteral("<li>") + Q(NoteText(note, GetLocalizedCount)).toHtmlEscaped() +
            QStringLiteral("</li>");
  LbNotImported->setText(
      left.isEmpty()
          ? LocalizedText(30794, "Everything comes over.").toHtmlEscaped()
          : LocalizedText(30785, "Not coming over:").toHtmlEscaped() +
                QStringLiteral(
                    "<ul style=\"margin-top: 2px; margin-left: 0px; -qt-list-indent: 1;\">") +
                left + QStringLiteral("</ul>"));
  const bool anyWithout = std::any_of(book.accounts.begin(), book.accounts.end(),
                                      [](const CForeignAccount& a) { return a.currency.empty(); });
  CBCurrency->setEnabled(anyWithout);
  EdFileName->setText(QFileInfo(Q(source)).completeBaseName() + QStringLiteral(".vlt"));
  ShowAccounts(summary.accounts, false);
  exec();
  FBook = nullptr;
  return FResult;
}

void TFormConvert::ShowAccounts(const std::vector<CAccountCheck>& accounts, bool stored) {
  AccountsGrid->setRowCount(static_cast<int>(accounts.size()));
  AccountsGrid->setColumnHidden(kStored, !stored);
  for (int row = 0; row < static_cast<int>(accounts.size()); ++row) {
    const CAccountCheck& a = accounts[static_cast<std::size_t>(row)];
    AccountsGrid->setItem(row, kAccount, Cell(Q(a.name)));
    AccountsGrid->setItem(row, kCurrency, Cell(Q(a.currency)));
    AccountsGrid->setItem(row, kSource, Cell(Q(MoneyToStr(a.source)), true));
    auto* kept = Cell(stored ? Q(MoneyToStr(a.stored)) : QString(), true);
    if (stored && a.stored != a.source) kept->setForeground(QColor(176, 0, 0));
    AccountsGrid->setItem(row, kStored, kept);
  }
}

void TFormConvert::BtCreateClick() {
  if (FBook == nullptr) return;
  CConvertOptions options;
  options.currency = CBCurrency->currentText().trimmed().toUpper().toStdString();
  if (!IsCurrencyCode(options.currency)) {
    ShowMessage(GetLocalizedText(30795, "The currency is a three-letter code, such as EUR."));
    CBCurrency->setFocus();
    return;
  }
  QString name = EdFileName->text().trimmed();
  if (name.isEmpty()) {
    ShowMessage(GetLocalizedText(30793, "Type a name for the new database."));
    EdFileName->setFocus();
    return;
  }
  if (!name.endsWith(QStringLiteral(".vlt"), Qt::CaseInsensitive)) name += QStringLiteral(".vlt");
  const std::string path =
      QFileInfo(name).isAbsolute() ? name.toStdString() : FFolder + name.toStdString();
  if (FileExists(path)) {
    ShowMessage(
        GetLocalizedText(30792, "A file of that name exists already; choose another name.") + "\n" +
        path);
    EdFileName->setFocus();
    return;
  }
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const CConvertResult result = ConvertBook(*FBook, path, options);
  QApplication::restoreOverrideCursor();
  if (result.checks.empty()) {
    ShowMessage(GetLocalizedText(30791, "The new database could not be made:") + "\n" +
                result.error);
    return;
  }
  ShowAccounts(result.checks, true);
  LbResult->show();
  BtCreate->setEnabled(false);
  BtCancel->setText(LocalizedText(8, "Close"));
  if (!result.ok) {
    LbResult->setStyleSheet(QStringLiteral("QLabel { color: #a04000; font-weight: bold; }"));
    LbResult->setText(LocalizedText(30790,
                                    "The balances stored differ from those of the source (marked "
                                    "red). The new database is kept to be looked at:") +
                      "\n" + Q(path));
    return;
  }
  LbResult->setStyleSheet(QStringLiteral("QLabel { color: #006000; }"));
  LbResult->setText(LocalizedText(
      30789, "Every account's balance in the new database is the one the source implies."));
  FResult = path;
  BtCancel->setText(LocalizedText(11, "Open"));
  BtCancel->setIcon(BtCreate->icon());
  BtCancel->disconnect();
  connect(BtCancel, &QPushButton::clicked, this, &QDialog::accept);
}

std::string ConvertFromAnotherProgram(QWidget* parent, const std::string& folder) {
  const QString file = QFileDialog::getOpenFileName(
      parent, LocalizedText(30770, "New from another program..."), Q(folder),
      LocalizedText(30771, "QIF files, GnuCash and HomeBank books") +
          QStringLiteral(" (*.qif *.QIF *.gnucash *.xml *.gz *.xhb);;") +
          LocalizedText(30796, "All files") + QStringLiteral(" (*)"));
  if (file.isEmpty()) return {};
  std::string bytes, error;
  CForeignRead read;
  CQifOptions qif;
  if (ReadFileBytes(file.toStdString(), 0, bytes, error)) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    read = ReadForeignBook(bytes, qif);
    QApplication::restoreOverrideCursor();
    if (read.dateOrderUndecided) {
      const QMessageBox::StandardButton answer = AskChoice(
          parent,
          LocalizedText(30773,
                        "The dates of this file read day-first and month-first alike. Which "
                        "order does it use?"),
          {{QMessageBox::Yes, LocalizedText(30774, "Day first (31/01/2026)")},
           {QMessageBox::No, LocalizedText(30775, "Month first (01/31/2026)")},
           {QMessageBox::Cancel, QString()}});
      if (answer == QMessageBox::Cancel) return {};
      qif.dateOrder = answer == QMessageBox::Yes ? EDateOrder::kDmy : EDateOrder::kMdy;
      read = ReadForeignBook(bytes, qif);
    }
    error = NoteText(read.error, GetLocalizedCount);
  }
  if (!read.ok) {
    ShowMessage(GetLocalizedText(30772, "The file could not be read:") + "\n" + file.toStdString() +
                "\n\n" + error);
    return {};
  }
  TFormConvert window(parent);
  return window.Execute(read.book, file.toStdString(), folder);
}
