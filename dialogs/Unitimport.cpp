#include "Unitimport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLocale>
#include <QProgressDialog>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <tuple>

#include "Companion.h"
#include "DialogKit.h"
#include "Include.h"
#include "Platform.h"
#include "Qtexts.h"
#include "Rules.h"
#include "SeparatorGroup.h"
#include "Settingsstorage.h"
#include "Skin.h"
#include "SubTypePaths.h"
#include "Unitimportreview.h"

namespace {

constexpr std::size_t kPreviewRows = 100;
// The bytes of a file looked at to tell its kind, encoding and separator.
constexpr std::size_t kHeadBytes = 64 * 1024;
// Imports of at least so many rows show their progress.
constexpr std::size_t kBigImport = 2000;
// The widest a preview column starts.
constexpr int kWidestColumn = 280;
constexpr int kNarrowestColumn = 48;

// The progress window of a long import, shown again at most every tenth of
// a second so that drawing it does not slow the import down.
struct TProgress {
  QProgressDialog* window;
  QElapsedTimer shown;
};

void ShowProgress(void* context, std::size_t done, std::size_t total) {
  auto* progress = static_cast<TProgress*>(context);
  if (progress->shown.isValid() && progress->shown.elapsed() < 100 && done != total) return;
  progress->window->setValue(static_cast<int>(done));
  progress->shown.start();
}

}  // namespace

// ---- The up-down control ----

TUpDown::TUpDown(int minimum, int maximum, QWidget* parent)
    : QWidget(parent), minimum_(minimum), maximum_(maximum), value_(minimum) {
  auto* up = new QToolButton(this);
  up->setObjectName("Up");
  up->setArrowType(Qt::UpArrow);
  auto* down = new QToolButton(this);
  down->setObjectName("Down");
  down->setArrowType(Qt::DownArrow);
  for (QToolButton* b : {up, down}) {
    b->setAutoRepeat(true);
    b->setFixedSize(18, 12);
    b->setFocusPolicy(Qt::NoFocus);
  }
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(up);
  layout->addWidget(down);
  connect(up, &QToolButton::clicked, this, [this] { setValue(value_ + 1); });
  connect(down, &QToolButton::clicked, this, [this] { setValue(value_ - 1); });
}

void TUpDown::setValue(int value) {
  value = std::clamp(value, minimum_, maximum_);
  if (value == value_) return;
  value_ = value;
  emit valueChanged(value_);
}

// ---- Building the window ----

TFormImport::TFormImport(QWidget* parent) : QDialog(parent) {
  QFont windowFont(ArialFamily());
  windowFont.setPixelSize(13);
  setFont(windowFont);
  setWindowTitle(QStringLiteral("Import"));
  CreateControls();
  ShowChoices(LoadImportChoices(GetSettings()));
}

void TFormImport::CreateControls() {
  PageControl = Named(new QTabWidget(this), "PageControl");
  PageControl->addTab(CreateFileTab(), QStringLiteral("File"));
  PageControl->addTab(CreateColumnsTab(), QStringLiteral("Columns"));
  PageControl->addTab(CreateAccountTab(), QStringLiteral("Account"));
  PageControl->addTab(CreateAdvancedTab(), QStringLiteral("Advanced"));
  PageControl->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);

  GBPreview = Named(new QGroupBox(QStringLiteral("Preview"), this), "GBPreview");
  PreviewGrid = Named(new QTableWidget(GBPreview), "PreviewGrid");
  PreviewGrid->setSelectionBehavior(QAbstractItemView::SelectColumns);
  PreviewGrid->setSelectionMode(QAbstractItemView::SingleSelection);
  PreviewGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  PreviewGrid->setShowGrid(true);
  PreviewGrid->setWordWrap(false);
  PreviewGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  PreviewGrid->horizontalHeader()->setMinimumSectionSize(kNarrowestColumn);
  PreviewGrid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  PreviewGrid->verticalHeader()->setDefaultSectionSize(PreviewGrid->fontMetrics().height() + 6);
  auto* preview = new QVBoxLayout(GBPreview);
  preview->addWidget(PreviewGrid);

  BtRefresh = Named(new QPushButton(QStringLiteral("Refresh"), this), "BtRefresh");
  BtRefresh->hide();
  BtImport = Named(new QPushButton(QStringLiteral("Import"), this), "BtImport");
  BtImport->setDefault(true);
  BtCancel = Named(new QPushButton(QStringLiteral("Cancel"), this), "BtCancel");
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(BtRefresh);
  buttons->addStretch();
  buttons->addWidget(BtImport);
  buttons->addWidget(BtCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(PageControl);
  layout->addWidget(GBPreview, 1);
  layout->addLayout(buttons);
  resize(720, 560);
  ApplyControlIcons(this);

  connect(EdFileName, &QLineEdit::textChanged, this, &TFormImport::EdFileNameChange);
  connect(EdSeparator, &QLineEdit::textChanged, this, &TFormImport::SeparatorClick);
  for (QRadioButton* rb : {RbSeparator1, RbSeparator2, RbSeparator3, RbSeparatorCustom})
    connect(rb, &QRadioButton::clicked, this, &TFormImport::SeparatorClick);
  connect(BtBrowse, &QPushButton::clicked, this, &TFormImport::BtBrowseClick);
  connect(EdRowNum, &QLineEdit::textChanged, this, &TFormImport::EdRowNumChange);
  connect(RowUpDown, &TUpDown::valueChanged, this, &TFormImport::RowUpDownChange);
  connect(CBEncoding, &QComboBox::currentIndexChanged, this, &TFormImport::CBEncodingChange);
  connect(PreviewGrid, &QTableWidget::itemSelectionChanged, this, &TFormImport::PreviewGridSelect);
  // A click on a header selects its column even when the file has no rows.
  connect(PreviewGrid->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int c) {
    FColumn = c;
    ShowColumnChoices();
  });
  connect(CBType, &QComboBox::activated, this, &TFormImport::CBTypeChange);
  connect(CBDateOrder, &QComboBox::activated, this, &TFormImport::CBDateOrderChange);
  connect(CBAmountStyle, &QComboBox::activated, this, &TFormImport::CBAmountStyleChange);
  connect(CBSumRole, &QComboBox::activated, this, &TFormImport::CBSumRoleChange);
  connect(CBOutMark, &QComboBox::activated, this, &TFormImport::CBOutMarkChange);
  connect(CBOfxDate, &QComboBox::activated, this, &TFormImport::CBOfxDateChange);
  connect(BtRefresh, &QPushButton::clicked, this, &TFormImport::BtRefreshClick);
  connect(BtImport, &QPushButton::clicked, this, &TFormImport::BtImportClick);
  connect(BtCancel, &QPushButton::clicked, this, &QDialog::reject);
}

QWidget* TFormImport::CreateFileTab() {
  auto* tab = Named(new QWidget, "FileTab");
  EdFileName = Named(new QLineEdit(tab), "EdFileName");
  BtBrowse = Named(new QPushButton(QStringLiteral("Browse"), tab), "BtBrowse");
  FSeparator = MakeSeparatorGroup(tab);
  std::tie(GBSeparator, RbSeparator1, RbSeparator2, RbSeparator3, RbSeparatorCustom, EdSeparator) =
      std::tie(FSeparator.GBSeparator, FSeparator.RbSeparator1, FSeparator.RbSeparator2,
               FSeparator.RbSeparator3, FSeparator.RbSeparatorCustom, FSeparator.EdSeparator);
  CBEncoding = Named(new QComboBox(tab), "CBEncoding");
  for (ETextEncoding encoding : kAllEncodings)
    CBEncoding->addItem(QString::fromLatin1(EncodingName(encoding)), static_cast<int>(encoding));
  LbFileKind = Named(new QLabel(tab), "LbFileKind");
  LbFileKind->setWordWrap(true);
  // OFX statements only: the day each transaction takes.
  LbOfxDate = Named(new QLabel(LocalizedText(30546, "Day of a transaction:"), tab), "LbOfxDate");
  CBOfxDate = Named(new QComboBox(tab), "CBOfxDate");
  CBOfxDate->addItem(LocalizedText(30547, "posted by the bank (DTPOSTED)"));
  CBOfxDate->addItem(LocalizedText(30548, "made by you, where given (DTUSER)"));

  auto* file = new QHBoxLayout;
  file->addWidget(EdFileName, 1);
  file->addWidget(BtBrowse);
  auto* encoding = new QHBoxLayout;
  encoding->addWidget(new QLabel(QStringLiteral("Encoding:"), tab));
  encoding->addWidget(CBEncoding);
  encoding->addWidget(LbFileKind, 1);
  auto* ofxDate = new QHBoxLayout;
  ofxDate->addWidget(LbOfxDate);
  ofxDate->addWidget(CBOfxDate);
  ofxDate->addStretch();
  auto* layout = new QVBoxLayout(tab);
  layout->addLayout(file);
  layout->addWidget(GBSeparator);
  layout->addLayout(encoding);
  layout->addLayout(ofxDate);
  return tab;
}

QWidget* TFormImport::CreateColumnsTab() {
  auto* tab = Named(new QWidget, "ColumnsTab");
  CBType = Named(new QComboBox(tab), "CBType");
  for (int i = 0; i < kColumnTypeCount; ++i)
    CBType->addItem(QString::fromLatin1(ColumnTypeName(static_cast<EColumnType>(i))));
  LbColumnHint = Named(
      new QLabel(QStringLiteral("Select column in the Preview Table below and set its type"), tab),
      "LbColumnHint");
  CBDateOrder = Named(new QComboBox(tab), "CBDateOrder");
  for (EDateOrder order : kDateOrderChoices) CBDateOrder->addItem(Q(DateStyleText({order})));
  CBAmountStyle = Named(new QComboBox(tab), "CBAmountStyle");
  for (const CAmountStyle& style : AmountStyleChoices())
    CBAmountStyle->addItem(Q(AmountStyleText(style)));
  CBSumRole = Named(new QComboBox(tab), "CBSumRole");
  for (ESumRole role : {ESumRole::kSigned, ESumRole::kDebit, ESumRole::kCredit})
    CBSumRole->addItem(QString::fromLatin1(SumRoleText(role)));
  // A Mark column: which of its marks means money out (filled per column).
  CBOutMark = Named(new QComboBox(tab), "CBOutMark");
  CBOutMark->setMinimumContentsLength(12);

  auto* type = new QHBoxLayout;
  type->addWidget(CBType);
  type->addWidget(LbColumnHint, 1);
  auto* formats = new QHBoxLayout;
  formats->addWidget(new QLabel(QStringLiteral("Date order:"), tab));
  formats->addWidget(CBDateOrder);
  formats->addSpacing(8);
  formats->addWidget(new QLabel(QStringLiteral("Numbers:"), tab));
  formats->addWidget(CBAmountStyle);
  formats->addSpacing(8);
  formats->addWidget(new QLabel(QStringLiteral("Sum:"), tab));
  formats->addWidget(CBSumRole);
  formats->addStretch();
  auto* marks = new QHBoxLayout;
  marks->addWidget(new QLabel(LocalizedText(30549, "Mark of money out:"), tab));
  marks->addWidget(CBOutMark);
  marks->addStretch();
  auto* layout = new QVBoxLayout(tab);
  layout->addLayout(type);
  layout->addLayout(formats);
  layout->addLayout(marks);
  layout->addStretch();
  return tab;
}

QWidget* TFormImport::CreateAccountTab() {
  auto* tab = Named(new QWidget, "AccountTab");
  CBAccounts = Named(new QComboBox(tab), "CBAccounts");
  CBAccounts->setMinimumWidth(220);
  auto* kind = Named(new QGroupBox(QStringLiteral("Transaction type"), tab), "GBKind");
  RbExpense = Named(new QRadioButton(QStringLiteral("Expense"), kind), "RbExpense");
  RbIncome = Named(new QRadioButton(QStringLiteral("Income"), kind), "RbIncome");
  RbAuto = Named(new QRadioButton(QStringLiteral("Auto"), kind), "RbAuto");
  RbAuto->setChecked(true);
  RbAuto->setToolTip(QStringLiteral("By the sign of the sum: minus is an expense"));
  auto* kinds = new QHBoxLayout(kind);
  for (QWidget* w : {RbExpense, RbIncome, RbAuto}) kinds->addWidget(w);
  kinds->addStretch();
  auto* account = new QHBoxLayout;
  account->addWidget(new QLabel(QStringLiteral("Account:"), tab));
  account->addWidget(CBAccounts);
  account->addStretch();
  auto* layout = new QVBoxLayout(tab);
  layout->addLayout(account);
  layout->addWidget(kind);
  layout->addStretch();
  return tab;
}

QWidget* TFormImport::CreateAdvancedTab() {
  auto* tab = Named(new QWidget, "AdvancedTab");
  CbCreateTypes =
      Named(new QCheckBox(QStringLiteral("Create Category if not exists"), tab), "CbCreateTypes");
  EdRowNum = Named(new QLineEdit(QStringLiteral("1"), tab), "EdRowNum");
  EdRowNum->setFixedWidth(EdRowNum->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 12);
  LimitTyping(EdRowNum, [](const QString&, const QString& after) {
    return FirstRowAccepted(after.toStdString());
  });
  RowUpDown = Named(new TUpDown(1, kLastFirstRow, tab), "RowUpDown");
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel(QStringLiteral("First row to Import"), tab));
  row->addWidget(EdRowNum);
  row->addWidget(RowUpDown);
  row->addStretch();
  auto* layout = new QVBoxLayout(tab);
  layout->addWidget(CbCreateTypes);
  layout->addLayout(row);
  layout->addStretch();
  return tab;
}

// ---- Choices ----

void TFormImport::ShowChoices(const TImportChoices& c) {
  FShowing = true;
  EdSeparator->setText(Q(c.customSeparator));
  FSeparator.Show(c.separator);
  CBEncoding->setCurrentIndex(CBEncoding->findData(static_cast<int>(c.encoding)));
  CBOfxDate->setCurrentIndex(static_cast<int>(c.ofxDate));
  const std::array<QRadioButton*, 3> kinds = {RbExpense, RbIncome, RbAuto};
  kinds[static_cast<std::size_t>(c.kind)]->setChecked(true);
  CbCreateTypes->setChecked(c.createTypes);
  RowUpDown->setValue(c.firstRow);
  EdRowNum->setText(QString::number(c.firstRow));
  // The kept file is shown with its kept separator, encoding and columns.
  FExamined = c.fileName;
  EdFileName->setText(Q(c.fileName));
  ExamineFile(false);
  FColumns = c.columns;
  FShowing = false;
}

TImportChoices TFormImport::Choices() const {
  TImportChoices c;
  c.fileName = EdFileName->text().toStdString();
  c.separator = FSeparator.Choice();
  c.customSeparator = EdSeparator->text().toStdString();
  c.kind = RbIncome->isChecked() ? EImportKind::kIncome
           : RbAuto->isChecked() ? EImportKind::kAuto
                                 : EImportKind::kExpense;
  c.columns = FColumns;
  c.createTypes = CbCreateTypes->isChecked();
  c.firstRow = RowUpDown->value();
  c.encoding = static_cast<ETextEncoding>(CBEncoding->currentData().toInt());
  c.ofxDate = static_cast<EOfxDate>(std::max(CBOfxDate->currentIndex(), 0));
  return c;
}

void TFormImport::done(int result) {
  if (!StoreImportChoices(GetSettings(), Choices()))
    ShowMessage(GetLocalizedText(24147, "The settings could not be stored.") + "\n" +
                GetSettings().GetFileName());
  QDialog::done(result);
}

std::size_t TFormImport::FirstRow() const {
  return FOfx ? 1 : static_cast<std::size_t>(RowUpDown->value());
}

EDateOrder TFormImport::FallbackDateOrder() const {
  return DateOrderOfPattern(QLocale().dateFormat(QLocale::ShortFormat).toStdString());
}

char TFormImport::FallbackDecimal() const {
  return GetSettings().GetDecimalSeparator() == "," ? ',' : '.';
}

// ---- Showing the window ----

bool TFormImport::Execute(CDataBase& database, std::uint32_t account) {
  FDb = &database;
  FillAccounts(account);
  BtRefreshClick();
  const bool imported = exec() == QDialog::Accepted;
  FDb = nullptr;
  return imported;
}

void TFormImport::FillAccounts(std::uint32_t account) {
  const std::uint32_t selected = account != 0 ? account : CBAccounts->currentData().toUInt();
  CBAccounts->clear();
  for (const CAccountItem& item : FDb->GetAccountItems()) {
    CBAccounts->addItem(StoredToQString(item.name), item.id);
    if (item.id == selected) CBAccounts->setCurrentIndex(CBAccounts->count() - 1);
  }
}

// ---- The file and the preview ----

void TFormImport::ExamineFile(bool detectFormats) {
  const std::string path = EdFileName->text().toStdString();
  std::string head, error;
  FOfx = !path.empty() && ReadFileBytes(path, kHeadBytes, head, error) && LooksLikeOfx(head);
  // A statement has its own columns, encoding and no separator or header.
  GBSeparator->setEnabled(!FOfx);
  CBEncoding->setEnabled(!FOfx);
  EdRowNum->setEnabled(!FOfx);
  RowUpDown->setEnabled(!FOfx);
  LbOfxDate->setVisible(FOfx);
  CBOfxDate->setVisible(FOfx);
  if (!detectFormats || FOfx || head.empty()) return;
  const ETextEncoding encoding = DetectEncoding(head);
  CBEncoding->setCurrentIndex(CBEncoding->findData(static_cast<int>(encoding)));
  std::string text;
  if (!DecodeText(head, encoding, text, error, true)) return;
  const char separator = DetectSeparator(text);
  const int choice = ChoiceOfSeparator(separator);
  if (choice == kSeparatorCustom) EdSeparator->setText(QString(QLatin1Char(separator)));
  FSeparator.Show(choice);
}

bool TFormImport::ReadTable(std::size_t maxRows, CSourceTable& table, std::string& error) const {
  const std::string path = EdFileName->text().toStdString();
  if (FOfx) return ReadOfxFile(path, table, error, Choices().ofxDate);
  CReadOptions options;
  if (!SeparatorOf(Choices().separator, EdSeparator->text().toStdString(), options.separator)) {
    error =
        "The custom separator must be one character (not a double quote or a letter outside "
        "ASCII).";
    return false;
  }
  options.encoding = static_cast<ETextEncoding>(CBEncoding->currentData().toInt());
  options.maxRows = maxRows;
  return ReadDelimitedFile(path, options, table, error);
}

void TFormImport::BtRefreshClick() {
  FPreview = CSourceTable();
  FPreviewError.clear();
  const std::size_t first = FirstRow();
  if (EdFileName->text().isEmpty()) {
    LbFileKind->clear();
  } else if (!ReadTable(first - 1 + kPreviewRows, FPreview, FPreviewError)) {
    FPreview = CSourceTable();
    LbFileKind->setText(Q(FPreviewError));
  } else {
    if (FColumns.size() != FPreview.columnCount) {
      // A new file, or one read another way: its columns as its cells suggest.
      FColumns = FOfx ? OfxColumns()
                      : SuggestColumns(FPreview, first, FallbackDateOrder(), FallbackDecimal());
      FColumns.resize(FPreview.columnCount);
    }
    const std::size_t shown =
        FPreview.rows.size() >= first ? FPreview.rows.size() - (first - 1) : 0;
    QString kind =
        Q(FOfx ? ExchangeCountText(EExchangeCount::kOfxTransactions, FPreview.rows.size())
               : ExchangeCountText(EExchangeCount::kColumns, FPreview.columnCount));
    if (!FOfx && !FPreview.complete)
      kind += QStringLiteral("; ") + Q(ExchangeCountText(EExchangeCount::kRowsShown, shown))
                                         .arg(static_cast<qulonglong>(first));
    LbFileKind->setText(kind);
  }
  ShowPreview();
}

void TFormImport::ShowPreview() {
  const std::size_t first = FirstRow();
  const std::size_t shown = FPreview.rows.size() >= first
                                ? std::min(kPreviewRows, FPreview.rows.size() - (first - 1))
                                : 0;
  PreviewGrid->blockSignals(true);
  PreviewGrid->clear();
  PreviewGrid->setColumnCount(static_cast<int>(FPreview.columnCount));
  PreviewGrid->setRowCount(static_cast<int>(shown));
  QStringList lines;
  for (std::size_t r = 0; r < shown; ++r) {
    const CDelimitedRow& row = FPreview.rows[first - 1 + r];
    lines << QString::number(static_cast<qulonglong>(row.line));
    for (std::size_t c = 0; c < row.fields.size(); ++c)
      PreviewGrid->setItem(static_cast<int>(r), static_cast<int>(c),
                           new QTableWidgetItem(Q(row.fields[c])));
  }
  PreviewGrid->setVerticalHeaderLabels(lines);
  for (int c = 0; c < PreviewGrid->columnCount(); ++c) ShowColumnHeader(c);
  PreviewGrid->resizeColumnsToContents();
  for (int c = 0; c < PreviewGrid->columnCount(); ++c)
    PreviewGrid->setColumnWidth(
        c, std::clamp(PreviewGrid->columnWidth(c), kNarrowestColumn, kWidestColumn));
  if (FColumn >= PreviewGrid->columnCount()) FColumn = -1;
  if (FColumn >= 0) PreviewGrid->selectColumn(FColumn);
  PreviewGrid->blockSignals(false);
  ShowColumnChoices();
}

void TFormImport::ShowColumnHeader(int column) {
  const std::size_t c = static_cast<std::size_t>(column);
  const CColumnFormat colFormat = c < FColumns.size() ? FColumns[c] : CColumnFormat();
  std::string text = ColumnHeaderText(colFormat);
  // Dates that read day-first and month-first alike: the order shown is a
  // guess, asked about before the import.
  if (colFormat.type == EColumnType::kDate && DateOrderGuessed(FPreview, c))
    text.insert(text.size() - 1, ", " + GuessedOrderNote());
  // Two amount columns sharing the rows: which is money out is asked too,
  // and each leaves the other's rows empty.
  std::size_t debit = 0, credit = 0;
  const bool pairOpen = colFormat.type == EColumnType::kSum &&
                        DebitCreditUndecided(FPreview, FirstRow(), FColumns, debit, credit) &&
                        (c == debit || c == credit);
  if (pairOpen) text.insert(text.size() - 1, ", " + DebitOrCreditNote());
  QString header = Q(text);
  // The file's own name of the column, from the row above the first one read.
  const std::size_t first = FirstRow();
  if (first >= 2 && FPreview.rows.size() >= first - 1) {
    const std::vector<std::string>& names = FPreview.rows[first - 2].fields;
    if (c < names.size() && !names[c].empty()) header += QStringLiteral("\n") + Q(names[c]);
  }
  PreviewGrid->setHorizontalHeaderItem(column, new QTableWidgetItem(header));
  // Cells that do not read as the column's type are marked with the reason.
  for (int r = 0; r < PreviewGrid->rowCount(); ++r) {
    QTableWidgetItem* item = PreviewGrid->item(r, column);
    const std::string cell = item ? item->text().toStdString() : std::string();
    std::string why;
    const bool reads = CellReads(colFormat, cell, why) ||
                       (pairOpen && cell.find_first_not_of(" \t") == std::string::npos);
    if (!item) {
      if (reads) continue;
      item = new QTableWidgetItem;
      PreviewGrid->setItem(r, column, item);
    }
    item->setBackground(reads ? QBrush() : QBrush(QColor(255, 214, 214)));
    item->setToolTip(reads ? QString() : Q(why));
  }
}

void TFormImport::ShowColumnChoices() {
  const bool selected = FColumn >= 0 && static_cast<std::size_t>(FColumn) < FColumns.size();
  const CColumnFormat colFormat =
      selected ? FColumns[static_cast<std::size_t>(FColumn)] : CColumnFormat();
  const bool amount = IsAmountColumn(colFormat.type);
  CBType->setEnabled(selected);
  CBType->setCurrentIndex(static_cast<int>(colFormat.type));
  CBDateOrder->setEnabled(selected && colFormat.type == EColumnType::kDate);
  CBDateOrder->setCurrentIndex(static_cast<int>(
      std::find(std::begin(kDateOrderChoices), std::end(kDateOrderChoices), colFormat.date.order) -
      std::begin(kDateOrderChoices)));
  CBAmountStyle->setEnabled(selected && amount);
  CBAmountStyle->setCurrentIndex(std::max(AmountStyleIndex(colFormat.amount), 0));
  CBSumRole->setEnabled(selected && colFormat.type == EColumnType::kSum);
  CBSumRole->setCurrentIndex(static_cast<int>(colFormat.role));
  // The marks of the column, the first entry leaving it to the known marks.
  const bool mark = selected && colFormat.type == EColumnType::kMark;
  CBOutMark->clear();
  CBOutMark->addItem(LocalizedText(30550, "(as the marks say)"));
  if (mark) {
    std::vector<std::string> marks =
        ColumnMarks(FPreview, static_cast<std::size_t>(FColumn), FirstRow());
    if (!colFormat.outMark.empty() &&
        std::none_of(marks.begin(), marks.end(),
                     [&](const std::string& m) { return SameMark(m, colFormat.outMark); }))
      marks.insert(marks.begin(), colFormat.outMark);
    for (const std::string& m : marks) {
      CBOutMark->addItem(Q(m), Q(m));
      if (!colFormat.outMark.empty() && SameMark(m, colFormat.outMark))
        CBOutMark->setCurrentIndex(CBOutMark->count() - 1);
    }
  }
  CBOutMark->setEnabled(mark);
}

bool TFormImport::DateOrderGuessed(const CSourceTable& table, std::size_t column) const {
  return !FOfx && !FDateOrderSure && DateOrderUndecided(table, column, FirstRow());
}

// ---- Events ----

void TFormImport::EdFileNameChange() {
  FSeparator.EnableCustom();
  if (FShowing || EdFileName->text().toStdString() == FExamined) return;
  FExamined = EdFileName->text().toStdString();
  FShowing = true;
  ExamineFile(true);
  // Lines before the first transaction (the bank's name, the period, a row
  // naming the columns) are not imported: as many rows as the guess looks
  // at are read.
  CSourceTable head;
  std::string error;
  if (!FOfx && ReadTable(kGuessRows, head, error))
    RowUpDown->setValue(static_cast<int>(GuessFirstRow(head)));
  FShowing = false;
  FColumns.clear();
  FColumn = -1;
  FDateOrderSure = false;
  BtRefreshClick();
}

void TFormImport::SeparatorClick() {
  FSeparator.EnableCustom();
  if (!FShowing) BtRefreshClick();
}

void TFormImport::BtBrowseClick() {
  const QString path = QFileDialog::getOpenFileName(
      this, QStringLiteral("Import"), EdFileName->text(), QString::fromLatin1(kImportFileFilter));
  if (!path.isEmpty()) EdFileName->setText(path);
}

void TFormImport::EdRowNumChange() {
  // The box holds only accepted numbers (see LimitTyping in the constructor).
  const std::string text = EdRowNum->text().toStdString();
  if (!FirstRowAccepted(text)) return;
  const int row = std::stoi(text);
  if (row == RowUpDown->value()) return;
  RowUpDown->setValue(row);
}

void TFormImport::RowUpDownChange(int value) {
  if (EdRowNum->text() != QString::number(value)) EdRowNum->setText(QString::number(value));
  if (!FShowing) BtRefreshClick();
}

void TFormImport::CBEncodingChange() {
  if (!FShowing) BtRefreshClick();
}

void TFormImport::PreviewGridSelect() {
  const QList<QTableWidgetSelectionRange> ranges = PreviewGrid->selectedRanges();
  if (ranges.isEmpty()) return;
  FColumn = ranges.first().leftColumn();
  ShowColumnChoices();
}

void TFormImport::CBTypeChange(int index) {
  if (FColumn < 0 || static_cast<std::size_t>(FColumn) >= FColumns.size()) return;
  FColumns[static_cast<std::size_t>(FColumn)] =
      DetectColumn(FPreview, static_cast<std::size_t>(FColumn), FirstRow(),
                   static_cast<EColumnType>(index), FallbackDateOrder(), FallbackDecimal());
  ShowColumnHeader(FColumn);
  ShowColumnChoices();
}

void TFormImport::CBDateOrderChange(int index) {
  if (FColumn < 0 || static_cast<std::size_t>(FColumn) >= FColumns.size()) return;
  FColumns[static_cast<std::size_t>(FColumn)].date.order =
      kDateOrderChoices[static_cast<std::size_t>(index)];
  FDateOrderSure = true;  // chosen by the user
  ShowColumnHeader(FColumn);
}

void TFormImport::CBAmountStyleChange(int index) {
  if (FColumn < 0 || static_cast<std::size_t>(FColumn) >= FColumns.size()) return;
  FColumns[static_cast<std::size_t>(FColumn)].amount =
      AmountStyleChoices()[static_cast<std::size_t>(index)];
  ShowColumnHeader(FColumn);
}

void TFormImport::CBSumRoleChange(int index) {
  if (FColumn < 0 || static_cast<std::size_t>(FColumn) >= FColumns.size()) return;
  FColumns[static_cast<std::size_t>(FColumn)].role = static_cast<ESumRole>(index);
  ShowColumnHeader(FColumn);
}

void TFormImport::CBOutMarkChange(int index) {
  if (FColumn < 0 || static_cast<std::size_t>(FColumn) >= FColumns.size()) return;
  FColumns[static_cast<std::size_t>(FColumn)].outMark =
      index <= 0 ? std::string() : CBOutMark->itemData(index).toString().toStdString();
  ShowColumnHeader(FColumn);
}

void TFormImport::CBOfxDateChange() {
  if (!FShowing) BtRefreshClick();
}

// ---- The import ----

bool TFormImport::AskWhatTheFileDoesNotTell(const CSourceTable& table) {
  for (std::size_t c = 0; c < FColumns.size(); ++c) {
    if (FColumns[c].type != EColumnType::kDate || !DateOrderGuessed(table, c)) continue;
    const QMessageBox::StandardButton answer = AskChoice(this, Q(DateOrderQuestion(c)),
                                                         {{QMessageBox::Yes, Q(DayFirstAnswer())},
                                                          {QMessageBox::No, Q(MonthFirstAnswer())},
                                                          {QMessageBox::Cancel, QString()}});
    if (answer != QMessageBox::Yes && answer != QMessageBox::No) return false;
    for (CColumnFormat& column : FColumns)
      if (column.type == EColumnType::kDate)
        column.date.order = answer == QMessageBox::Yes ? EDateOrder::kDmy : EDateOrder::kMdy;
    FDateOrderSure = true;
    break;
  }
  std::size_t first = 0, second = 0;
  if (DebitCreditUndecided(table, FirstRow(), FColumns, first, second)) {
    // The columns by the file's own names where it has a header.
    auto name = [&](std::size_t c) {
      const std::size_t row = FirstRow();
      if (row >= 2 && row - 2 < table.rows.size() && c < table.rows[row - 2].fields.size() &&
          !table.rows[row - 2].fields[c].empty())
        return "\"" + table.rows[row - 2].fields[c] + "\"";
      return GetLocalizedText(30551, "column") + " " + std::to_string(c + 1);
    };
    const QMessageBox::StandardButton answer =
        AskChoice(this, Q(DebitColumnQuestion(name(first), name(second))),
                  {{QMessageBox::Yes, Q(DebitColumnAnswer(name(first)))},
                   {QMessageBox::No, Q(DebitColumnAnswer(name(second)))},
                   {QMessageBox::Cancel, QString()}});
    if (answer != QMessageBox::Yes && answer != QMessageBox::No) return false;
    FColumns[first].role = answer == QMessageBox::Yes ? ESumRole::kDebit : ESumRole::kCredit;
    FColumns[second].role = answer == QMessageBox::Yes ? ESumRole::kCredit : ESumRole::kDebit;
  }
  for (int c = 0; c < PreviewGrid->columnCount(); ++c) ShowColumnHeader(c);
  ShowColumnChoices();
  return true;
}

void TFormImport::BtImportClick() {
  if (!FDb) return;
  const std::string path = EdFileName->text().toStdString();
  if (path.empty()) {
    ShowMessage("Type the name of the file to import, or choose it with Browse.");
    return;
  }
  if (CBAccounts->currentIndex() < 0) {
    ShowMessage("Choose the account to import into on the Account tab.");
    return;
  }
  auto has = [this](EColumnType type) {
    return std::any_of(FColumns.begin(), FColumns.end(),
                       [type](const CColumnFormat& c) { return c.type == type; });
  };
  if (!has(EColumnType::kDate) || !has(EColumnType::kSum)) {
    ShowMessage(
        "Give one column the type Date and one the type Sum: select the column in the "
        "Preview Table and set its type on the Columns tab.");
    return;
  }
  CSourceTable table;
  std::string error;
  if (!ReadTable(0, table, error)) {
    ShowMessage("The file could not be read:\n" + path + "\n\n" + error);
    return;
  }
  if (!FOfx && !AskWhatTheFileDoesNotTell(table)) return;
  CImportOptions options;
  options.account = CBAccounts->currentData().toUInt();
  options.kind = Choices().kind;
  options.createCategories = CbCreateTypes->isChecked();
  options.firstRow = FirstRow();
  options.columns = FColumns;
  options.columns.resize(table.columnCount);
  CFitIdStore fitIds(FDb->GetFileName());
  // Rows the file gives no category: the rules' or the stored transactions'.
  CCompanion companion;
  companion.Load(FDb->GetFileName());
  const CRuleMatcher rules(companion.Rules());
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const CCategoryLearner learner(*FDb);
  options.rules = &rules;
  options.learner = &learner;
  CImportPlan plan = PlanImport(*FDb, table, options, fitIds);
  QApplication::restoreOverrideCursor();
  const CSubTypePaths names(*FDb);
  TFormImportReview review(this);
  if (!review.Execute(plan, QFileInfo(Q(path)).fileName().toStdString(), FOfx, &names, FDb)) return;
  if (Apply(plan, options, fitIds)) accept();
}

bool TFormImport::Apply(const CImportPlan& plan, const CImportOptions& options,
                        CFitIdStore& fitIds) {
  const std::size_t included = plan.CountIncluded();
  QProgressDialog progress(QStringLiteral("Importing..."), QString(), 0, static_cast<int>(included),
                           this);
  progress.setObjectName("ImportProgress");
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(0);
  const bool big = included >= kBigImport;
  if (big) progress.setValue(0);
  TProgress shown{&progress, {}};
  // One step to undo, named after the file.
  CDataBase::CChangeScope step(*FDb, EChangeKind::kImport,
                               QFileInfo(EdFileName->text()).fileName().toStdString());
  const CImportResult result =
      ApplyImport(*FDb, plan, options, fitIds, big ? ShowProgress : nullptr, &shown);
  progress.reset();
  const std::string path = EdFileName->text().toStdString();
  const bool stored = !result.transactions.empty() || !result.subtypes.empty();
  QString undo;
  if (stored && !StoreLastImport(GetSettings(), {path, FDb->GetFileName(), result.transactions,
                                                 result.subtypes, result.fingerprints}))
    undo = QStringLiteral(
        "\n\nThe settings could not be stored: this import cannot be undone "
        "from the Transaction menu.");
  const std::size_t count = result.transactions.size();
  if (!result.ok) {
    ShowMessage("The import stopped: " + result.error + "\n\n" +
                ExchangeCountText(EExchangeCount::kStoredBeforeStop, count) +
                (stored ? " Undo import in the Transaction menu removes them." : "") +
                undo.toStdString());
    return stored;
  }
  QString text = Q(ExchangeCountText(EExchangeCount::kImported, count)).arg(Q(path));
  if (!result.subtypes.empty())
    text += QStringLiteral(" ") +
            Q(ExchangeCountText(EExchangeCount::kSubtypesCreated, result.subtypes.size()));
  ShowInformation(this, text + undo);
  return stored;
}
