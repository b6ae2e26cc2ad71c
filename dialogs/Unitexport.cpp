#include "Unitexport.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLocale>
#include <QVBoxLayout>
#include <tuple>

#include "DialogKit.h"
#include "Include.h"
#include "IntervalLogic.h"
#include "Platform.h"
#include "Qtexts.h"
#include "SeparatorGroup.h"
#include "Settingsstorage.h"
#include "Skin.h"
#include "Unitcalendar.h"
#include "Unitselecttype.h"

namespace {

// A day the format choices show their examples with.
constexpr int kSampleYear = 2007, kSampleMonth = 5, kSampleDay = 4;

}  // namespace

TFormExport::TFormExport(QWidget* parent) : QDialog(parent) {
  QFont windowFont(ArialFamily());
  windowFont.setPixelSize(13);
  setFont(windowFont);
  setWindowTitle(QStringLiteral("Export"));
  const QLocale locale;
  for (int i = 0; i < 12; ++i)
    FMonthNames[static_cast<std::size_t>(i)] =
        locale.standaloneMonthName(i + 1, QLocale::LongFormat).toStdString();
  CreateControls();
  ShowChoices(LoadExportChoices(GetSettings()));
  SetCategory(0);
}

void TFormExport::CreateControls() {
  PageControl = Named(new QTabWidget(this), "PageControl");
  PageControl->addTab(CreateFileTab(), QStringLiteral("File"));
  PageControl->addTab(CreateTransactionsTab(), QStringLiteral("Transactions"));
  PageControl->addTab(CreateFieldsTab(), QStringLiteral("Fields"));
  BtExport = Named(new QPushButton(QStringLiteral("Export"), this), "BtExport");
  BtExport->setDefault(true);
  BtCancel = Named(new QPushButton(QStringLiteral("Cancel"), this), "BtCancel");
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(BtExport);
  buttons->addWidget(BtCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(PageControl, 1);
  layout->addLayout(buttons);
  resize(440, 380);
  ApplyControlIcons(this);

  for (QRadioButton* rb : {RbSeparator1, RbSeparator2, RbSeparator3, RbSeparatorCustom})
    connect(rb, &QRadioButton::clicked, this, &TFormExport::SeparatorClick);
  for (QRadioButton* rb : {RbExpenses, RbIncomes, RbAll})
    connect(rb, &QRadioButton::clicked, this, &TFormExport::BtClrCategoryClick);
  connect(BtBrowse, &QPushButton::clicked, this, &TFormExport::BtBrowseClick);
  connect(BtPrevMonth, &QToolButton::clicked, this, &TFormExport::BtPrevMonthClick);
  connect(BtNextMonth, &QToolButton::clicked, this, &TFormExport::BtNextMonthClick);
  connect(BtCalendar, &QPushButton::clicked, this, &TFormExport::BtCalendarClick);
  connect(BtSelCategory, &QPushButton::clicked, this, &TFormExport::BtSelCategoryClick);
  connect(BtClrCategory, &QPushButton::clicked, this, &TFormExport::BtClrCategoryClick);
  connect(BtExport, &QPushButton::clicked, this, &TFormExport::BtExportClick);
  connect(BtCancel, &QPushButton::clicked, this, &QDialog::reject);
  EdType->installEventFilter(this);
  connect(RbFormatQif, &QRadioButton::toggled, this, &TFormExport::FormatChanged);
}

void TFormExport::FormatChanged() {
  const bool qif = RbFormatQif->isChecked();
  GBSeparator->setEnabled(!qif);
  PageControl->setTabEnabled(PageControl->indexOf(LBFields->parentWidget()), !qif);
  for (const char* name : {"GBKind", "GBCategory"})
    if (auto* box = findChild<QGroupBox*>(QString::fromLatin1(name))) box->setEnabled(!qif);
  EdFileName->setText(Q(FileNameForFormat(EdFileName->text().toStdString(), qif)));
}

QWidget* TFormExport::CreateFileTab() {
  auto* tab = Named(new QWidget, "FileTab");
  GBFileFormat = Named(new QGroupBox(QStringLiteral("File Format"), tab), "GBFileFormat");
  RbFormatText =
      Named(new QRadioButton(QStringLiteral("&Delimited text"), GBFileFormat), "RbFormatText");
  RbFormatQif =
      Named(new QRadioButton(QStringLiteral("&QIF, for other finance programs"), GBFileFormat),
            "RbFormatQif");
  RbFormatText->setChecked(true);
  auto* formats = new QHBoxLayout(GBFileFormat);
  formats->addWidget(RbFormatText);
  formats->addWidget(RbFormatQif);
  formats->addStretch();
  FSeparator = MakeSeparatorGroup(tab);
  std::tie(GBSeparator, RbSeparator1, RbSeparator2, RbSeparator3, RbSeparatorCustom, EdSeparator) =
      std::tie(FSeparator.GBSeparator, FSeparator.RbSeparator1, FSeparator.RbSeparator2,
               FSeparator.RbSeparator3, FSeparator.RbSeparatorCustom, FSeparator.EdSeparator);

  GBFileName = Named(new QGroupBox(QStringLiteral("File Name"), tab), "GBFileName");
  EdFileName = Named(new QLineEdit(QStringLiteral("export.txt"), GBFileName), "EdFileName");
  BtBrowse = Named(new QPushButton(QStringLiteral("Browse"), GBFileName), "BtBrowse");
  auto* file = new QHBoxLayout(GBFileName);
  file->addWidget(EdFileName, 1);
  file->addWidget(BtBrowse);

  GBInterval = Named(new QGroupBox(QStringLiteral("Time Interval"), tab), "GBInterval");
  BtPrevMonth = Named(new QToolButton(GBInterval), "BtPrevMonth");
  BtPrevMonth->setArrowType(Qt::LeftArrow);
  BtPrevMonth->setToolTip(QStringLiteral("Previous month"));
  BtNextMonth = Named(new QToolButton(GBInterval), "BtNextMonth");
  BtNextMonth->setArrowType(Qt::RightArrow);
  BtNextMonth->setToolTip(QStringLiteral("Next month"));
  LbCurrentDate = Named(new QLabel(GBInterval), "LbCurrentDate");
  LbCurrentDate->setAlignment(Qt::AlignCenter);
  QFont dateFont = LbCurrentDate->font();
  dateFont.setBold(true);
  LbCurrentDate->setFont(dateFont);
  BtCalendar =
      Named(new QPushButton(QStringLiteral("Set Custom interval"), GBInterval), "BtCalendar");
  auto* interval = new QHBoxLayout(GBInterval);
  interval->addWidget(BtPrevMonth);
  interval->addWidget(LbCurrentDate, 1);
  interval->addWidget(BtNextMonth);
  interval->addWidget(BtCalendar);

  auto* layout = new QVBoxLayout(tab);
  layout->addWidget(GBFileFormat);
  layout->addWidget(GBSeparator);
  layout->addWidget(GBFileName);
  layout->addWidget(GBInterval);
  layout->addStretch();
  return tab;
}

QWidget* TFormExport::CreateTransactionsTab() {
  auto* tab = Named(new QWidget, "TransactionsTab");
  auto* kind = Named(new QGroupBox(QStringLiteral("Transactions"), tab), "GBKind");
  RbExpenses = Named(new QRadioButton(QStringLiteral("Expenses"), kind), "RbExpenses");
  RbIncomes = Named(new QRadioButton(QStringLiteral("Incomes"), kind), "RbIncomes");
  RbAll = Named(new QRadioButton(QStringLiteral("All"), kind), "RbAll");
  auto* kinds = new QHBoxLayout(kind);
  for (QWidget* w : {RbExpenses, RbIncomes, RbAll}) kinds->addWidget(w);
  kinds->addStretch();

  auto* account = Named(new QGroupBox(QStringLiteral("Account"), tab), "GBAccount");
  CBAccounts = Named(new QComboBox(account), "CBAccounts");
  auto* accounts = new QHBoxLayout(account);
  accounts->addWidget(CBAccounts, 1);

  auto* category = Named(new QGroupBox(QStringLiteral("Category"), tab), "GBCategory");
  EdType = Named(new QLineEdit(category), "EdType");
  EdType->setReadOnly(true);
  BtSelCategory = Named(new QPushButton(QStringLiteral("..."), category), "BtSelCategory");
  BtSelCategory->setToolTip(QStringLiteral("Select Category"));
  BtSelCategory->setFixedWidth(BtSelCategory->fontMetrics().horizontalAdvance(".....") + 16);
  BtClrCategory = Named(new QPushButton(QStringLiteral("Clear"), category), "BtClrCategory");
  CBSubTypes =
      Named(new QCheckBox(QStringLiteral("Include Sub Categories"), category), "CBSubTypes");
  auto* categories = new QGridLayout(category);
  categories->addWidget(EdType, 0, 0);
  categories->addWidget(BtSelCategory, 0, 1);
  categories->addWidget(BtClrCategory, 0, 2);
  categories->addWidget(CBSubTypes, 1, 0, 1, 3);
  categories->setColumnStretch(0, 1);

  auto* layout = new QVBoxLayout(tab);
  layout->addWidget(kind);
  layout->addWidget(account);
  layout->addWidget(category);
  layout->addStretch();
  return tab;
}

QWidget* TFormExport::CreateFieldsTab() {
  auto* tab = Named(new QWidget, "FieldsTab");
  LBFields = Named(new QListWidget(tab), "LBFields");
  for (int i = 0; i < kExportFieldCount; ++i) {
    auto* item = new QListWidgetItem(
        QString::fromLatin1(ExportFieldName(static_cast<EExportField>(i))), LBFields);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
    item->setCheckState(Qt::Checked);
  }
  // Wide enough for the longest field name, "Family member".
  LBFields->setMinimumWidth(LBFields->sizeHintForColumn(0) + 2 * LBFields->frameWidth() + 12);
  LBFields->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  auto* format = Named(new QGroupBox(QStringLiteral("Format"), tab), "GBFormat");
  const Date sample = EncodeDate(kSampleYear, kSampleMonth, kSampleDay);
  CBDateFormat = Named(new QComboBox(format), "CBDateFormat");
  CBDateFormat->addItem(QStringLiteral("ISO (%1)").arg(Q(FormatIsoDate(sample))));
  CBDateFormat->addItem(QStringLiteral("Regional (%1)").arg(Q(FormatShortDate(sample))));
  CBDecimal = Named(new QComboBox(format), "CBDecimal");
  CBDecimal->addItem(QStringLiteral("Point (1234.56)"));
  CBDecimal->addItem(QStringLiteral("Regional (1234") + Q(GetSettings().GetDecimalSeparator()) +
                     QStringLiteral("56)"));
  auto* formats = new QFormLayout(format);
  formats->addRow(QStringLiteral("Dates:"), CBDateFormat);
  formats->addRow(QStringLiteral("Amounts:"), CBDecimal);

  auto* layout = new QHBoxLayout(tab);
  layout->addWidget(LBFields, 1);
  auto* right = new QVBoxLayout;
  right->addWidget(format);
  right->addStretch();
  layout->addLayout(right);
  return tab;
}

// ---- Choices ----

void TFormExport::ShowChoices(const TExportChoices& c) {
  EdFileName->setText(Q(c.fileName));
  EdSeparator->setText(Q(c.customSeparator));
  FSeparator.Show(c.separator);
  (c.qif ? RbFormatQif : RbFormatText)->setChecked(true);
  FormatChanged();
  const std::array<QRadioButton*, 3> kinds = {RbExpenses, RbIncomes, RbAll};
  kinds[static_cast<std::size_t>(c.kind)]->setChecked(true);
  for (int i = 0; i < kExportFieldCount; ++i)
    LBFields->item(i)->setCheckState(c.fields[static_cast<std::size_t>(i)] ? Qt::Checked
                                                                           : Qt::Unchecked);
  CBDateFormat->setCurrentIndex(c.isoDates ? 0 : 1);
  CBDecimal->setCurrentIndex(c.pointDecimal ? 0 : 1);
}

TExportChoices TFormExport::Choices() const {
  TExportChoices c;
  c.fileName = EdFileName->text().toStdString();
  c.separator = FSeparator.Choice();
  c.customSeparator = EdSeparator->text().toStdString();
  c.kind = RbIncomes->isChecked() ? EExportKind::kIncomes
           : RbAll->isChecked()   ? EExportKind::kAll
                                  : EExportKind::kExpenses;
  for (int i = 0; i < kExportFieldCount; ++i)
    c.fields[static_cast<std::size_t>(i)] = LBFields->item(i)->checkState() == Qt::Checked;
  c.isoDates = CBDateFormat->currentIndex() == 0;
  c.pointDecimal = CBDecimal->currentIndex() == 0;
  c.qif = RbFormatQif->isChecked();
  return c;
}

void TFormExport::done(int result) {
  if (!StoreExportChoices(GetSettings(), Choices()))
    ShowMessage(GetLocalizedText(24147, "The settings could not be stored.") + "\n" +
                GetSettings().GetFileName());
  QDialog::done(result);
}

// ---- Showing the window ----

bool TFormExport::Execute(CDataBase& database, const QPixmap& linesImage, Date begin, Date end) {
  FDb = &database;
  FLines = linesImage;
  FBegin = WholeDay(begin);
  FEnd = WholeDay(end);
  ShowInterval();
  FillAccounts();
  SetCategory(FCategory);  // the category may have been renamed or deleted
  const bool written = exec() == QDialog::Accepted;
  FDb = nullptr;
  return written;
}

void TFormExport::FillAccounts() {
  const std::uint32_t selected =
      CBAccounts->currentIndex() > 0 ? CBAccounts->currentData().toUInt() : 0;
  FAccounts = FDb->GetAccountItems();
  CBAccounts->clear();
  CBAccounts->addItem(QStringLiteral("all accounts"), 0u);
  for (const CAccountItem& account : FAccounts) {
    CBAccounts->addItem(StoredToQString(account.name), account.id);
    if (account.id == selected) CBAccounts->setCurrentIndex(CBAccounts->count() - 1);
  }
}

void TFormExport::ShowInterval() {
  LbCurrentDate->setText(Q(IntervalCaption(FBegin, FEnd, FMonthNames)));
}

void TFormExport::SetCategory(std::uint32_t id) {
  CSubTypeItem item;
  if (FDb && id != 0) FDb->GetSubType(id, item);
  if (id == 0 || (FDb && item.name.empty())) {
    FCategory = 0;
    EdType->setText(Q(FNoCategoryText));
    CBSubTypes->setChecked(false);
    CBSubTypes->setEnabled(false);
    return;
  }
  if (FCategory != id) CBSubTypes->setChecked(true);
  FCategory = id;
  if (FDb) EdType->setText(StoredToQString(item.name));
  CBSubTypes->setEnabled(true);
}

// ---- Events ----

void TFormExport::SeparatorClick() {
  FSeparator.EnableCustom();
}

void TFormExport::BtBrowseClick() {
  const QString path = QFileDialog::getSaveFileName(
      this, QStringLiteral("Export"), EdFileName->text(),
      QString::fromLatin1(RbFormatQif->isChecked() ? kQifFileFilter : kExchangeFileFilter));
  if (!path.isEmpty()) EdFileName->setText(path);
}

void TFormExport::BtPrevMonthClick() {
  const TInterval previous = StepMonth(FBegin, FEnd, -1);
  FBegin = previous.begin;
  FEnd = previous.end;
  ShowInterval();
}

void TFormExport::BtNextMonthClick() {
  const TInterval next = StepMonth(FBegin, FEnd, 1);
  FBegin = next.begin;
  FEnd = next.end;
  ShowInterval();
}

void TFormExport::BtCalendarClick() {
  TFormCalendar picker(this);
  if (picker.PickInterval(FBegin, FEnd)) ShowInterval();
}

void TFormExport::BtSelCategoryClick() {
  if (!FDb) return;
  TFormSelectType picker(this);
  // All kinds pick among the expense categories, as the other kinds' trees
  // are not one tree.
  const std::uint32_t root = RbIncomes->isChecked() ? kIncomeRoot : kExpenseRoot;
  const std::uint32_t id = picker.Execute(*FDb, FLines, root);
  if (id > kFirstFreeId) SetCategory(id);
}

void TFormExport::BtClrCategoryClick() {
  SetCategory(0);
}

bool TFormExport::eventFilter(QObject* watched, QEvent* event) {
  if (watched == EdType && event->type() == QEvent::KeyPress) {
    // Backspace clears the category; a typed character opens the picker, as
    // in the transaction editor.
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Backspace) {
      BtClrCategoryClick();
      return true;
    }
    if (!key->text().isEmpty() && key->text().at(0).isPrint()) {
      BtSelCategoryClick();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TFormExport::BtExportClick() {
  if (!FDb) return;
  const TExportChoices choices = Choices();
  CExportOptions options;
  std::string why;
  const std::uint32_t account =
      CBAccounts->currentIndex() > 0 ? CBAccounts->currentData().toUInt() : 0;
  if (choices.qif) {
    // QIF holds every kind; the filters of delimited text do not apply.
    options.kind = EExportKind::kAll;
    options.begin = FBegin;
    options.end = FEnd;
    options.account = account;
  } else if (!MakeExportOptions(choices, FBegin, FEnd, account, FCategory, CBSubTypes->isChecked(),
                                GetSettings().GetNumberFormat(), options, why)) {
    ShowMessage(why);
    return;
  }
  if (choices.fileName.empty()) {
    ShowMessage("Type the name of the file to write, or choose it with Browse.");
    return;
  }
  // A name without a folder is written in the home folder, not wherever the
  // program was started from.
  const QString path = QFileInfo(QDir::home(), Q(choices.fileName)).absoluteFilePath();
  if (QFileInfo::exists(path) &&
      AskConfirmation(this, QStringLiteral("%1 exists already. Replace it?").arg(path),
                      QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
    return;
  const std::size_t count = SelectForExport(*FDb, options).size();
  std::string error;
  if (!WriteFileAtomically(
          path.toStdString(),
          [&](std::ostream& out) {
            return choices.qif ? WriteQif(*FDb, FBegin, FEnd, account, out)
                               : WriteDelimited(*FDb, options, out);
          },
          error)) {
    ShowMessage("The file could not be written:\n" + path.toStdString() + "\n\n" + error);
    return;
  }
  ShowInformation(this, Q(ExchangeCountText(EExchangeCount::kWritten, count)).arg(path));
  accept();
}
