#include "Unitreports.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLocale>
#include <QMenu>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QVBoxLayout>
#include <algorithm>

#include "ControlTexts.h"
#include "DialogKit.h"
#include "FittingLabel.h"
#include "Platform.h"
#include "Qtexts.h"
#include "Skin.h"
#include "Textcodec.h"
#include "Unitcalendar.h"

namespace {

QToolButton* MakeToolButton(QWidget* parent, const char* name, const char* theme = nullptr,
                            QChar glyph = QChar()) {
  auto* button = new QToolButton(parent);
  button->setObjectName(QString::fromLatin1(name));
  if (theme != nullptr) {
    const QIcon icon = QIcon::fromTheme(QString::fromLatin1(theme));
    if (icon.isNull())
      button->setText(QString(glyph));
    else
      button->setIcon(icon);
    button->setAutoRaise(true);
  } else {
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
  }
  return button;
}

// The height of the heading over a printed or saved report, in the
// window's pixels.
constexpr int kHeadingHeight = 44;

}  // namespace

TFormReports::TFormReports(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FormReports"));
  setFont(WindowFont());
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
  resize(818, 561);
  setMinimumSize(800, 480);
  FTag = 0;
  FBegin = 0.0;
  FEnd = 0.0;
  CreateControls();
  ApplyLanguage();
}

TFormReports::~TFormReports() = default;

void TFormReports::CreateControls() {
  DatePanel = new QWidget(this);
  DatePanel->setObjectName(QStringLiteral("DatePanel"));
  DatePanel->setFixedSize(234, 80);
  BtPrevMonth = MakeToolButton(DatePanel, "BtPrevMonth", "go-previous", QChar(0x25C0));
  BtCalendar = MakeToolButton(DatePanel, "BtCalendar", "x-office-calendar", QChar(0x2637));
  BtNextMonth = MakeToolButton(DatePanel, "BtNextMonth", "go-next", QChar(0x25B6));
  GBCurrentDate = new QGroupBox(DatePanel);
  GBCurrentDate->setObjectName(QStringLiteral("GBCurrentDate"));
  LbCurrentDate = new QLabel(GBCurrentDate);
  LbCurrentDate->setObjectName(QStringLiteral("LbCurrentDate"));
  LbCurrentDate->setAlignment(Qt::AlignCenter);
  LbCurrentDate->setWordWrap(true);
  StyleIntervalCaption(LbCurrentDate);
  auto* box = new QVBoxLayout(GBCurrentDate);
  box->setContentsMargins(2, 2, 2, 2);
  box->addWidget(LbCurrentDate);
  auto* dates = new QHBoxLayout(DatePanel);
  dates->setContentsMargins(0, 0, 0, 0);
  dates->setSpacing(1);
  dates->addWidget(BtPrevMonth);
  dates->addWidget(GBCurrentDate, 1);
  dates->addWidget(BtCalendar);
  dates->addWidget(BtNextMonth);

  PageControl1 = new QTabWidget(this);
  PageControl1->setObjectName(QStringLiteral("PageControl1"));
  PageControl1->setFixedWidth(234);
  ReportsTab = new QWidget;
  ReportsTab->setObjectName(QStringLiteral("ReportsTab"));
  AccountsList = new QListWidget(ReportsTab);
  AccountsList->setObjectName(QStringLiteral("AccountsList"));
  AccountsList->setWordWrap(true);
  AccountsList->setSpacing(2);
  auto* tabLayout = new QVBoxLayout(ReportsTab);
  tabLayout->setContentsMargins(2, 2, 2, 2);
  tabLayout->addWidget(AccountsList);
  PageControl1->addTab(ReportsTab, QString());

  TabControl2 = new QTabWidget(this);
  TabControl2->setObjectName(QStringLiteral("TabControl2"));
  TabControl2->setFixedHeight(80);
  auto* bar = new QWidget;
  LbReportTitle = new QLabel(bar);
  LbReportTitle->setObjectName(QStringLiteral("LbReportTitle"));
  QFont titleFont = LbReportTitle->font();
  titleFont.setBold(true);
  titleFont.setPixelSize(15);
  LbReportTitle->setFont(titleFont);
  BtBack = MakeToolButton(bar, "BtBack");
  BtAccounts = MakeToolButton(bar, "BtAccounts");
  BtAccounts->setPopupMode(QToolButton::InstantPopup);
  BtAccounts->setMenu(new QMenu(BtAccounts));
  BtPrint = MakeToolButton(bar, "BtPrint");
  BtSave = MakeToolButton(bar, "BtSave");
  // One line: the font shrinks where the window is narrow.
  LbTransfers = new CFittingLabel(bar);
  LbTransfers->setObjectName(QStringLiteral("LbTransfers"));
  auto* barLayout = new QVBoxLayout(bar);
  barLayout->setContentsMargins(6, 2, 6, 2);
  barLayout->setSpacing(0);
  auto* titleRow = new QHBoxLayout;
  titleRow->addWidget(LbReportTitle, 1);
  for (QToolButton* b : {BtBack, BtAccounts, BtPrint, BtSave}) titleRow->addWidget(b);
  barLayout->addLayout(titleRow);
  barLayout->addWidget(LbTransfers);
  TabControl2->addTab(bar, QString());

  TabControl1 = new QTabWidget(this);
  TabControl1->setObjectName(QStringLiteral("TabControl1"));
  ReportBox = new QChartView;
  ReportBox->setObjectName(QStringLiteral("ReportBox"));
  ReportBox->setRenderHint(QPainter::Antialiasing);
  ReportBox->setMouseTracking(true);
  ReportTable = new QTableWidget;
  ReportTable->setObjectName(QStringLiteral("ReportTable"));
  ReportTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ReportTable->setAlternatingRowColors(true);
  ReportTable->verticalHeader()->hide();
  TabControl1->addTab(ReportBox, QString());
  TabControl1->addTab(ReportTable, QString());

  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->setSpacing(6);
  layout->addWidget(DatePanel, 0, 0);
  layout->addWidget(TabControl2, 0, 1);
  layout->addWidget(PageControl1, 1, 0);
  layout->addWidget(TabControl1, 1, 1);
  layout->setColumnStretch(1, 1);
  layout->setRowStretch(1, 1);

  connect(BtPrevMonth, &QToolButton::clicked, this, &TFormReports::BtPrevMonthClick);
  connect(BtNextMonth, &QToolButton::clicked, this, &TFormReports::BtNextMonthClick);
  connect(BtCalendar, &QToolButton::clicked, this, &TFormReports::BtCalendarClick);
  connect(AccountsList, &QListWidget::currentRowChanged, this, &TFormReports::AccountsListClick);
  connect(BtBack, &QToolButton::clicked, this, &TFormReports::BtBackClick);
  connect(BtPrint, &QToolButton::clicked, this, &TFormReports::BtPrintClick);
  connect(BtSave, &QToolButton::clicked, this, &TFormReports::BtSaveClick);
}

void TFormReports::ApplyLanguage() {
  const QLocale locale;
  for (int i = 0; i < 12; ++i)
    FMonthNames[static_cast<std::size_t>(i)] =
        locale.standaloneMonthName(i + 1, QLocale::LongFormat).toStdString();
  std::vector<TControlText> table = {
      {CaptionOf(this), 21000, "Reports"},
      {TabOf(PageControl1, 0), 21001, "Reports"},
  };
  for (std::size_t i = 0; i < 12; ++i)
    table.push_back({Store(&FMonthNames[i]), static_cast<std::uint32_t>(100 + i), nullptr});
  for (std::size_t i = 0; i < FTexts.size(); ++i)
    table.push_back({Store(&FTexts[i]), static_cast<std::uint32_t>(kReportTextBase + i),
                     kReportTextDefaults[i]});
  table.push_back({Store(&FTransfersNote), 30303,
                   "Transfers between your own accounts count as neither income nor expense "
                   "here."});
  ApplyTexts(table);
  LbTransfers->setText(Q(FTransfersNote));
  LbTransfers->setToolTip(Q(FTransfersNote));
  BtPrevMonth->setToolTip(Q(FTexts[kRtHintPrev]));
  BtCalendar->setToolTip(Q(FTexts[kRtHintCalendar]));
  BtNextMonth->setToolTip(Q(FTexts[kRtHintNext]));
  TabControl1->setTabText(0, Q(FTexts[kRtChart]));
  TabControl1->setTabText(1, Q(FTexts[kRtTable]));
  BtBack->setText(QStringLiteral("\u2190 ") + Q(FTexts[kRtBack]));
  BtAccounts->setText(Q(FTexts[kRtAccounts]));
  BtPrint->setText(Q(FTexts[kRtPrint]));
  BtSave->setText(Q(FTexts[kRtSave]));
  for (int kind = 0; kind < kReportCount; ++kind)
    new QListWidgetItem(Q(FTexts[kRtCategories + static_cast<std::size_t>(kind)]), AccountsList);
}

// ---- The period and the report list ----

void TFormReports::Execute(CDataBase& db, Date begin, Date end) {
  Prepare(db, begin, end);
  exec();
}

void TFormReports::Prepare(CDataBase& db, Date begin, Date end) {
  FDataBase = &db;
  FShownAccounts.clear();
  FDrill = 0;
  CCurrencyItem currency;
  db.GetCurrency(ReportBaseCurrency(db), currency);
  FCurrencyName = StoredToUtf8(currency.name);
  if (AccountsList->currentRow() < 0) {
    const QSignalBlocker quiet(AccountsList);
    AccountsList->setCurrentRow(0);
  }
  SetPeriod(begin, end);
}

TReportKind TFormReports::CurrentReport() const {
  const int row = AccountsList->currentRow();
  return row >= 0 && row < kReportCount ? static_cast<TReportKind>(row) : kReportCategories;
}

void TFormReports::SetPeriod(Date begin, Date end) {
  if (begin > end) return;
  FBegin = WholeDay(begin);
  FEnd = WholeDay(end);
  LbCurrentDate->setText(Q(IntervalCaption(FBegin, FEnd, FMonthNames)));
  ShowReport();
}

void TFormReports::BtPrevMonthClick() {
  const TInterval next = StepMonth(FBegin, FEnd, -1);
  SetPeriod(next.begin, next.end);
}

void TFormReports::BtNextMonthClick() {
  const TInterval next = StepMonth(FBegin, FEnd, 1);
  SetPeriod(next.begin, next.end);
}

void TFormReports::BtCalendarClick() {
  Date begin = FBegin, end = FEnd;
  TFormCalendar picker(this);
  if (picker.PickInterval(begin, end)) SetPeriod(begin, end);
}

void TFormReports::AccountsListClick() {
  FDrill = 0;
  ShowReport();
}

void TFormReports::BtBackClick() {
  const TCategoryFigure* f = FindCategory(FCategories, FDrill);
  FDrill = f == nullptr ? 0 : f->parent;
  DrawReport();
}

// ---- Figures and charts ----

QString TFormReports::Amount(Money amount) const {
  return Q(MoneyToStr(amount) + " " + FCurrencyName);
}

void TFormReports::ShowReport() {
  if (FDataBase == nullptr) return;
  const TReportKind kind = CurrentReport();
  const TInterval p = ReportPeriod(kind, FBegin, FEnd);
  const TReportPeriod period{p.begin, p.end};
  switch (kind) {
    case kReportCategories:
      FCategories = ExpensesByCategory(*FDataBase, period);
      if (FindCategory(FCategories, FDrill) == nullptr) FDrill = 0;
      break;
    case kReportMonthly:
      FMonthly = IncomesAndExpensesByMonth(*FDataBase, period);
      break;
    case kReportBalance:
      FBalance = BalanceOverTime(*FDataBase, period);
      FillAccountsMenu();
      break;
    case kReportMembers:
    case kReportSections:
      FMembers = ExpensesByMemberAndSection(*FDataBase, period);
      break;
    case kReportBudget:
      FBudget = BudgetAgainstSpending(*FDataBase);
      break;
    case kReportCount:
      break;
  }
  DrawReport();
}

void TFormReports::DrawReport() {
  const TReportKind kind = CurrentReport();
  BtBack->setVisible(kind == kReportCategories);
  BtBack->setEnabled(FDrill != 0);
  BtAccounts->setVisible(kind == kReportBalance);
  // Balances and budgets count transfers; the other reports leave them out.
  LbTransfers->setVisible(kind != kReportBalance && kind != kReportBudget);
  const QString title = Q(FTexts[kRtCategories + static_cast<std::size_t>(kind)]);
  TabControl2->setTabText(0, title);
  // The period the figures cover (the monthly report's may be wider than
  // the window's); budgets have their own: their range when they share one.
  const TInterval covered = ReportPeriod(kind, FBegin, FEnd);
  QString period = Q(IntervalCaption(covered.begin, covered.end, FMonthNames));
  if (kind == kReportBudget) {
    period.clear();
    const auto& budgets = FBudget.accounts;
    const bool shared = !budgets.empty() &&
                        std::all_of(budgets.begin(), budgets.end(), [&](const TBudgetFigure& b) {
                          return WholeDay(b.from) == WholeDay(budgets[0].from) &&
                                 WholeDay(b.to) == WholeDay(budgets[0].to);
                        });
    if (shared && budgets[0].from <= budgets[0].to)
      period = Q(FTexts[kRtBudgetRange]) + QStringLiteral(": ") +
               Q(IntervalCaption(WholeDay(budgets[0].from), WholeDay(budgets[0].to), FMonthNames));
  }
  LbReportTitle->setText(period);
  switch (kind) {
    case kReportCategories:
      DrawCategories();
      break;
    case kReportMonthly:
      DrawMonthly();
      break;
    case kReportBalance:
      DrawBalance();
      break;
    case kReportMembers:
    case kReportSections:
      DrawSubtypes(kind == kReportMembers);
      break;
    case kReportBudget:
      DrawBudget();
      break;
    case kReportCount:
      break;
  }
}

// ---- Printing and saving ----

void TFormReports::PaintReport(QPainter& painter, const QRect& page) {
  QFont heading(ArialFamily());
  heading.setPixelSize(18);
  heading.setBold(true);
  painter.setFont(heading);
  QString caption = TabControl2->tabText(0);
  if (!LbReportTitle->text().isEmpty())
    caption += QStringLiteral(" \u2014 ") + LbReportTitle->text();
  painter.setPen(Qt::black);
  painter.drawText(QRect(page.left(), page.top(), page.width(), kHeadingHeight),
                   Qt::AlignLeft | Qt::AlignVCenter, caption);
  const QRect target(page.left(), page.top() + kHeadingHeight, page.width(),
                     page.height() - kHeadingHeight);
  QWidget* shown = TabControl1->currentWidget();
  if (shown == ReportBox) {
    ReportBox->render(&painter, target, ReportBox->viewport()->rect());
  } else {
    const QSize size = shown->size();
    const double scale = std::min(static_cast<double>(target.width()) / size.width(),
                                  static_cast<double>(target.height()) / size.height());
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(scale, scale);
    shown->render(&painter);
    painter.restore();
  }
}

void TFormReports::BtPrintClick() {
  QPrinter printer(QPrinter::HighResolution);
  printer.setPageOrientation(QPageLayout::Landscape);
  QPrintDialog dialog(&printer, this);
  if (dialog.exec() != QDialog::Accepted) return;
  QPainter painter(&printer);
  // The heading is sized in the window's pixels: the page is scaled to them.
  const QRect page = painter.viewport();
  const double scale = static_cast<double>(page.width()) / 1100.0;
  painter.scale(scale, scale);
  PaintReport(painter, QRect(0, 0, 1100, static_cast<int>(page.height() / scale)));
}

bool TFormReports::SaveReport(const QString& path) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix == QStringLiteral("pdf")) {
    {
      QPrinter printer(QPrinter::HighResolution);
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setOutputFileName(path);
      printer.setPageOrientation(QPageLayout::Landscape);
      QPainter painter(&printer);
      const QRect page = painter.viewport();
      const double scale = static_cast<double>(page.width()) / 1100.0;
      painter.scale(scale, scale);
      PaintReport(painter, QRect(0, 0, 1100, static_cast<int>(page.height() / scale)));
    }
    const QFileInfo written(path);
    return written.exists() && written.size() > 0;
  }
  // The picture of what the tab shows, under the report's title and period.
  const QSize shown = TabControl1->currentWidget()->size();
  QImage picture(shown.width() + 8, shown.height() + kHeadingHeight, QImage::Format_RGB32);
  picture.fill(Qt::white);
  {
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    PaintReport(painter, QRect(8, 0, shown.width(), picture.height()));
  }
  const bool known = suffix == QStringLiteral("png") || suffix == QStringLiteral("jpg") ||
                     suffix == QStringLiteral("jpeg") || suffix == QStringLiteral("bmp");
  return picture.save(path, known ? nullptr : "PNG");
}

void TFormReports::BtSaveClick() {
  const QString pdf = Q(FTexts[kRtPdfFiles]);
  const QString png = Q(FTexts[kRtPngFiles]);
  QString chosen;
  QString path = QFileDialog::getSaveFileName(this, Q(FTexts[kRtSaveCaption]), QString(),
                                              pdf + QStringLiteral(";;") + png, &chosen);
  if (path.isEmpty()) return;
  if (QFileInfo(path).suffix().isEmpty())
    path += chosen == png ? QStringLiteral(".png") : QStringLiteral(".pdf");
  if (!SaveReport(path)) ShowMessage(FTexts[kRtNotSaved] + " " + path.toStdString());
}
