// TFormReports: drawing each report's figures as a chart and a table.
#include <QCursor>
#include <QDateTime>
#include <QHeaderView>
#include <QLocale>
#include <QMenu>
#include <QToolTip>
#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QBarSeries>
#include <QtCharts/QBarSet>
#include <QtCharts/QChart>
#include <QtCharts/QDateTimeAxis>
#include <QtCharts/QHorizontalBarSeries>
#include <QtCharts/QLegend>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <QtCharts/QPieSeries>
#include <QtCharts/QPieSlice>
#include <QtCharts/QValueAxis>
#include <algorithm>
#include <cmath>

#include "DialogKit.h"
#include "Include.h"
#include "Qtexts.h"
#include "Settingsstorage.h"
#include "Skin.h"
#include "Textcodec.h"
#include "Unitreports.h"

namespace {

// The donut shows at most this many slices, the smallest grouped as "Other".
constexpr std::size_t kMaxSlices = 8;
// Bars of members or sections beyond this many are grouped as "Other".
constexpr std::size_t kMaxBars = 12;

const QColor kPalette[] = {QColor(0x1f, 0x77, 0xb4), QColor(0xff, 0x7f, 0x0e),
                           QColor(0x2c, 0xa0, 0x2c), QColor(0xd6, 0x27, 0x28),
                           QColor(0x94, 0x67, 0xbd), QColor(0x8c, 0x56, 0x4b),
                           QColor(0xe3, 0x77, 0xc2), QColor(0x17, 0xbe, 0xcf),
                           QColor(0xbc, 0xbd, 0x22), QColor(0x7f, 0x7f, 0x7f)};
const QColor kIncomeColor(0x2c, 0xa0, 0x2c);
const QColor kExpenseColor(0xd6, 0x27, 0x28);
const QColor kNetColor(0x1f, 0x3a, 0x93);
const QColor kOtherColor(0xb0, 0xb0, 0xb0);

QColor PaletteColor(std::size_t i) {
  return kPalette[i % std::size(kPalette)];
}

double Units(Money amount) {
  return static_cast<double>(amount) / static_cast<double>(kMoneyOne);
}

qint64 Msecs(Date day) {
  return QDateTime(ToQDate(day), QTime(12, 0)).toMSecsSinceEpoch();
}

QValueAxis* AmountAxis(const QString& title) {
  auto* axis = new QValueAxis;
  axis->setLabelFormat(QStringLiteral("%.0f"));
  axis->setTitleText(title);
  return axis;
}

// Shows `text` as the tool tip at the mouse while `state` holds.
void Tip(bool state, const QString& text) {
  if (state)
    QToolTip::showText(QCursor::pos(), text);
  else
    QToolTip::hideText();
}

}  // namespace

void TFormReports::SetChart(QChart* chart, const QString& title) {
  chart->setTitle(title);
  QFont titleFont = chart->titleFont();
  titleFont.setPixelSize(15);
  titleFont.setBold(true);
  chart->setTitleFont(titleFont);
  chart->setLocale(QLocale());
  chart->setLocalizeNumbers(true);
  chart->setAnimationOptions(QChart::NoAnimation);
  chart->legend()->setVisible(true);
  QChart* old = ReportBox->chart();
  ReportBox->setChart(chart);
  delete old;
}

void TFormReports::FillTable(const TReportTable& table) {
  ReportTable->clear();
  ReportTable->setColumnCount(static_cast<int>(table.headers.size()));
  ReportTable->setRowCount(static_cast<int>(table.rows.size()));
  QStringList headers;
  for (const std::string& h : table.headers) headers << Q(h);
  ReportTable->setHorizontalHeaderLabels(headers);
  for (std::size_t r = 0; r < table.rows.size(); ++r) {
    for (std::size_t c = 0; c < table.rows[r].size(); ++c) {
      auto* item = new QTableWidgetItem(Q(table.rows[r][c]));
      if (c > 0) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      ReportTable->setItem(static_cast<int>(r), static_cast<int>(c), item);
    }
  }
  // Every table fills the tab's width: columns that fit share the spare
  // width out evenly; wider ones keep their texts' widths and scroll.
  QHeaderView* header = ReportTable->horizontalHeader();
  header->setVisible(true);
  header->setSectionResizeMode(QHeaderView::Interactive);
  header->setStretchLastSection(false);
  ReportTable->resizeColumnsToContents();
  const int columns = ReportTable->columnCount();
  int needed = 0;
  for (int c = 0; c < columns; ++c) needed += header->sectionSize(c);
  const int room = TabControl1->width() - 2 * ReportTable->frameWidth() - 24;
  if (columns > 0 && needed < room)
    for (int c = 0; c < columns; ++c)
      header->resizeSection(c, header->sectionSize(c) + (room - needed) / columns);
  header->setStretchLastSection(true);
  header->setOffset(0);
}

void TFormReports::DrawCategories() {
  FSlices = DonutSlices(FCategories, FDrill, kMaxSlices, FTexts);
  auto* chart = new QChart;
  auto* series = new QPieSeries(chart);
  series->setHoleSize(0.45);
  series->setPieSize(0.8);
  Money total = 0;
  for (const TSlice& s : FSlices) total = WrapAdd(total, s.amount);
  for (std::size_t i = 0; i < FSlices.size(); ++i) {
    const TSlice& s = FSlices[i];
    // A negative sum (refunds larger than the spending) cannot be a slice.
    auto* slice = series->append(Q(s.name), std::max(0.0, Units(s.amount)));
    slice->setColor(s.other ? kOtherColor : PaletteColor(i));
    // The share stands on the slice where it fits; the legend names them.
    slice->setLabel(Q(ShareText(s.amount, total, GetSettings().GetDecimalSeparator())));
    slice->setLabelPosition(QPieSlice::LabelInsideHorizontal);
    slice->setLabelColor(Qt::white);
    slice->setLabelVisible(total != 0 && Units(s.amount) / Units(total) >= 0.06);
    if (s.drillable) slice->setExplodeDistanceFactor(0.03);
  }
  connect(series, &QPieSeries::hovered, this, [this](QPieSlice* slice, bool state) {
    const qsizetype i = slice->series()->slices().indexOf(slice);
    if (i < 0 || static_cast<std::size_t>(i) >= FSlices.size()) return;
    Tip(state, Q(FSlices[static_cast<std::size_t>(i)].name) + QStringLiteral(": ") +
                   Amount(FSlices[static_cast<std::size_t>(i)].amount));
    slice->setExploded(state && FSlices[static_cast<std::size_t>(i)].drillable);
  });
  connect(series, &QPieSeries::clicked, this, &TFormReports::SliceClicked);
  chart->addSeries(series);
  chart->legend()->setAlignment(Qt::AlignRight);
  // The legend names each slice with its share.
  const auto markers = chart->legend()->markers(series);
  for (qsizetype i = 0; i < markers.size() && static_cast<std::size_t>(i) < FSlices.size(); ++i) {
    const TSlice& s = FSlices[static_cast<std::size_t>(i)];
    markers[i]->setLabel(Q(s.name) + QStringLiteral("  ") +
                         Q(ShareText(s.amount, total, GetSettings().GetDecimalSeparator())));
  }
  QString title = Q(FTexts[kRtCategories]);
  // At the top (0) there is no category to name: the figure of id 0 is the
  // transactions without one.
  if (const TCategoryFigure* f = FDrill == 0 ? nullptr : FindCategory(FCategories, FDrill))
    title += QStringLiteral(": ") + Q(StoredToUtf8(f->name));
  title += QStringLiteral(", ") + Amount(total);
  if (FSlices.empty())
    title = Q(FTexts[kRtCategories]) + QStringLiteral(": ") + Q(FTexts[kRtNoData]);
  SetChart(chart, title);
  FillTable(CategoryTable(
      FSlices, [this](Money m) { return Amount(m).toStdString(); }, FTexts,
      GetSettings().GetDecimalSeparator()));
}

void TFormReports::SliceClicked(QPieSlice* slice) {
  const qsizetype i = slice->series()->slices().indexOf(slice);
  if (i < 0 || static_cast<std::size_t>(i) >= FSlices.size()) return;
  const TSlice& s = FSlices[static_cast<std::size_t>(i)];
  if (!s.drillable) return;
  QToolTip::hideText();
  FDrill = s.id;
  // Drawn after the click's handling is over: the slice belongs to the
  // chart that the drawing replaces.
  QMetaObject::invokeMethod(
      this, [this] { DrawReport(); }, Qt::QueuedConnection);
}

void TFormReports::DrawMonthly() {
  auto* chart = new QChart;
  auto* bars = new QBarSeries(chart);
  auto* incomes = new QBarSet(Q(FTexts[kRtIncomes]));
  auto* expenses = new QBarSet(Q(FTexts[kRtExpenses]));
  incomes->setColor(kIncomeColor);
  expenses->setColor(kExpenseColor);
  auto* net = new QLineSeries(chart);
  net->setName(Q(FTexts[kRtNet]));
  net->setPen(QPen(kNetColor, 2.5));
  net->setPointsVisible(true);
  QStringList months;
  double low = 0, high = 0;
  for (std::size_t i = 0; i < FMonthly.months.size(); ++i) {
    const TMonthFigure& m = FMonthly.months[i];
    // The month's short name over its year's last two digits ("Apr" over
    // "'25"): twelve labels fit side by side in the smallest window.
    const std::string label = MonthLabel(m.year, m.month, FMonthNames, true);
    const QString year = QString::number(m.year % 100).rightJustified(2, QLatin1Char('0'));
    months << Q(label.substr(0, label.rfind(' '))) + QStringLiteral("<br>\u2019") + year;
    *incomes << Units(m.income);
    *expenses << Units(m.expense);
    net->append(static_cast<double>(i), Units(m.net));
    low = std::min({low, Units(m.income), Units(m.expense), Units(m.net)});
    high = std::max({high, Units(m.income), Units(m.expense), Units(m.net)});
  }
  bars->append(incomes);
  bars->append(expenses);
  connect(incomes, &QBarSet::hovered, this, [this](bool state, int i) {
    if (i >= 0 && static_cast<std::size_t>(i) < FMonthly.months.size())
      Tip(state, Q(FTexts[kRtIncomes]) + QStringLiteral(": ") +
                     Amount(FMonthly.months[static_cast<std::size_t>(i)].income));
  });
  connect(expenses, &QBarSet::hovered, this, [this](bool state, int i) {
    if (i >= 0 && static_cast<std::size_t>(i) < FMonthly.months.size())
      Tip(state, Q(FTexts[kRtExpenses]) + QStringLiteral(": ") +
                     Amount(FMonthly.months[static_cast<std::size_t>(i)].expense));
  });
  connect(net, &QLineSeries::hovered, this, [this](const QPointF& point, bool state) {
    const long i = std::lround(point.x());
    if (i >= 0 && static_cast<std::size_t>(i) < FMonthly.months.size())
      Tip(state, Q(FTexts[kRtNet]) + QStringLiteral(": ") +
                     Amount(FMonthly.months[static_cast<std::size_t>(i)].net));
  });
  chart->addSeries(bars);
  chart->addSeries(net);
  auto* axisX = new QBarCategoryAxis;
  axisX->append(months);
  axisX->setTitleText(Q(FTexts[kRtMonth]));
  auto* axisY = AmountAxis(Q(FCurrencyName));
  axisY->setRange(low, high > low ? high : low + 1);
  axisY->applyNiceNumbers();
  chart->addAxis(axisX, Qt::AlignBottom);
  chart->addAxis(axisY, Qt::AlignLeft);
  for (QAbstractSeries* s :
       {static_cast<QAbstractSeries*>(bars), static_cast<QAbstractSeries*>(net)}) {
    s->attachAxis(axisX);
    s->attachAxis(axisY);
  }
  chart->legend()->setAlignment(Qt::AlignBottom);
  SetChart(chart, Q(FTexts[kRtMonthly]));
  FillTable(MonthlyTable(
      FMonthly, FMonthNames, [this](Money m) { return Amount(m).toStdString(); }, FTexts));
}

void TFormReports::FillAccountsMenu() {
  QMenu* menu = BtAccounts->menu();
  if (FShownAccounts.empty()) {
    // At first: the total and every account.
    FShownAccounts.push_back(0);
    for (const TBalanceSeries& s : FBalance.accounts) FShownAccounts.push_back(s.account);
  }
  menu->clear();
  auto add = [&](const QString& name, std::uint32_t id) {
    QAction* action = menu->addAction(name);
    action->setCheckable(true);
    action->setChecked(std::find(FShownAccounts.begin(), FShownAccounts.end(), id) !=
                       FShownAccounts.end());
    connect(action, &QAction::toggled, this, [this, id](bool on) {
      auto it = std::find(FShownAccounts.begin(), FShownAccounts.end(), id);
      if (on && it == FShownAccounts.end()) FShownAccounts.push_back(id);
      if (!on && it != FShownAccounts.end()) FShownAccounts.erase(it);
      DrawReport();
    });
  };
  add(Q(FTexts[kRtTotal]), 0);
  for (const TBalanceSeries& s : FBalance.accounts) add(Q(StoredToUtf8(s.name)), s.account);
}

void TFormReports::DrawBalance() {
  auto* chart = new QChart;
  auto* axisX = new QDateTimeAxis;
  axisX->setTitleText(Q(FTexts[kRtDate]));
  auto* axisY = AmountAxis(Q(FCurrencyName));
  chart->addAxis(axisX, Qt::AlignBottom);
  chart->addAxis(axisY, Qt::AlignLeft);
  double low = 0, high = 0;
  qint64 first = 0, last = 0;
  bool anyForecast = false;
  std::vector<const TBalanceSeries*> shown;
  for (const TBalanceSeries& s : FBalance.accounts)
    if (std::find(FShownAccounts.begin(), FShownAccounts.end(), s.account) != FShownAccounts.end())
      shown.push_back(&s);
  if (std::find(FShownAccounts.begin(), FShownAccounts.end(), 0u) != FShownAccounts.end())
    shown.push_back(&FBalance.total);
  auto addLine = [&](const TBalanceSeries& s, bool forecast, const QColor& color) {
    const std::vector<TBalancePoint>& points = forecast ? s.forecast : s.actual;
    if (points.empty()) return;
    auto* line = new QLineSeries(chart);
    const QString name = s.account == 0 ? Q(FTexts[kRtTotal]) : Q(StoredToUtf8(s.name));
    line->setName(name);
    QPen pen(color, s.account == 0 ? 3.0 : 2.0);
    if (forecast) pen.setStyle(Qt::DashLine);
    line->setPen(pen);
    for (const TBalancePoint& p : points) {
      const qint64 x = Msecs(p.day);
      line->append(static_cast<double>(x), Units(p.balance));
      low = std::min(low, Units(p.balance));
      high = std::max(high, Units(p.balance));
      first = first == 0 ? x : std::min(first, x);
      last = std::max(last, x);
    }
    connect(line, &QLineSeries::hovered, this,
            [this, line, name, forecast](const QPointF& point, bool state) {
              // The point nearest to the mouse along the time axis.
              const auto pts = line->points();
              qsizetype best = 0;
              for (qsizetype i = 1; i < pts.size(); ++i)
                if (std::abs(pts[i].x() - point.x()) < std::abs(pts[best].x() - point.x()))
                  best = i;
              const QDate day =
                  QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(pts[best].x())).date();
              QString text = name + QStringLiteral(", ") +
                             QLocale().toString(day, ShortDateFormat()) + QStringLiteral(": ") +
                             Amount(FloatToMoney(pts[best].y()));
              if (forecast)
                text += QStringLiteral(" (") + Q(FTexts[kRtForecast]) + QStringLiteral(")");
              Tip(state, text);
            });
    chart->addSeries(line);
    line->attachAxis(axisX);
    line->attachAxis(axisY);
    if (forecast) {
      anyForecast = true;
      for (QLegendMarker* m : chart->legend()->markers(line)) m->setVisible(false);
    }
  };
  for (std::size_t i = 0; i < shown.size(); ++i) {
    const QColor color = shown[i]->account == 0 ? QColor(Qt::black) : PaletteColor(i);
    addLine(*shown[i], false, color);
    addLine(*shown[i], true, color);
  }
  if (anyForecast) {
    // One legend entry tells what a dashed line is.
    auto* key = new QLineSeries(chart);
    key->setName(Q(FTexts[kRtForecast]));
    key->setPen(QPen(Qt::gray, 2.0, Qt::DashLine));
    chart->addSeries(key);
    key->attachAxis(axisX);
    key->attachAxis(axisY);
  }
  if (first != 0)
    axisX->setRange(QDateTime::fromMSecsSinceEpoch(first), QDateTime::fromMSecsSinceEpoch(last));
  // Five dates fit under the plot even in the window's smallest size (the
  // account names stand in a column beside it): day and month within a
  // year, month and year over longer spans; the tooltips give whole dates.
  constexpr qint64 kYearMs = 366LL * 24 * 3600 * 1000;
  axisX->setFormat(last - first <= kYearMs ? QStringLiteral("d MMM") : QStringLiteral("MMM yyyy"));
  axisX->setTickCount(5);
  axisY->setRange(low, high > low ? high : low + 1);
  axisY->applyNiceNumbers();
  chart->legend()->setAlignment(Qt::AlignRight);
  SetChart(chart, Q(FTexts[kRtBalance]));
  FillTable(BalanceTable(
      FBalance, FShownAccounts, [this](Money m) { return Amount(m).toStdString(); }, FTexts));
}

void TFormReports::DrawSubtypes(bool members) {
  std::vector<TSubtypeFigure> figures = members ? FMembers.members : FMembers.sections;
  if (figures.size() > kMaxBars) {
    TSubtypeFigure other{0, FTexts[kRtOther], 0};
    for (std::size_t i = kMaxBars - 1; i < figures.size(); ++i)
      other.total = WrapAdd(other.total, figures[i].total);
    figures.resize(kMaxBars - 1);
    figures.push_back(other);
  }
  auto* chart = new QChart;
  auto* series = new QHorizontalBarSeries(chart);
  auto* set = new QBarSet(Q(FTexts[kRtExpenses]));
  set->setColor(members ? PaletteColor(4) : PaletteColor(0));
  QStringList names;
  double high = 0, low = 0;
  // The largest on top: a horizontal bar axis counts from the bottom.
  std::vector<QString> labels;
  for (auto it = figures.rbegin(); it != figures.rend(); ++it) {
    const bool other = it->id == 0 && it->name == FTexts[kRtOther];
    labels.push_back(other ? Q(FTexts[kRtOther]) : Q(SubtypeLabel(*it, members, FTexts)));
    names << labels.back();
    *set << Units(it->total);
    high = std::max(high, Units(it->total));
    low = std::min(low, Units(it->total));
  }
  std::vector<Money> amounts;
  for (auto it = figures.rbegin(); it != figures.rend(); ++it) amounts.push_back(it->total);
  connect(set, &QBarSet::hovered, this, [this, labels, amounts](bool state, int i) {
    if (i >= 0 && static_cast<std::size_t>(i) < amounts.size())
      Tip(state, labels[static_cast<std::size_t>(i)] + QStringLiteral(": ") +
                     Amount(amounts[static_cast<std::size_t>(i)]));
  });
  series->append(set);
  chart->addSeries(series);
  auto* axisY = new QBarCategoryAxis;
  axisY->append(names);
  axisY->setTitleText(Q(FTexts[members ? kRtMember : kRtSection]));
  auto* axisX = AmountAxis(Q(FCurrencyName));
  axisX->setRange(low, high > low ? high : low + 1);
  axisX->applyNiceNumbers();
  chart->addAxis(axisY, Qt::AlignLeft);
  chart->addAxis(axisX, Qt::AlignBottom);
  series->attachAxis(axisY);
  series->attachAxis(axisX);
  chart->legend()->setAlignment(Qt::AlignBottom);
  const std::size_t text = members ? kRtMembers : kRtSections;
  QString title = Q(FTexts[text]) + QStringLiteral(", ") + Amount(FMembers.total);
  if (figures.empty()) title = Q(FTexts[text]) + QStringLiteral(": ") + Q(FTexts[kRtNoData]);
  SetChart(chart, title);
  FillTable(SubtypeTable(
      members ? FMembers.members : FMembers.sections, FMembers.total, members,
      [this](Money m) { return Amount(m).toStdString(); }, FTexts,
      GetSettings().GetDecimalSeparator()));
}

void TFormReports::DrawBudget() {
  auto* chart = new QChart;
  auto* bars = new QBarSeries(chart);
  auto* spent = new QBarSet(Q(FTexts[kRtSpent]));
  spent->setColor(PaletteColor(1));
  QStringList names;
  double high = 0, low = 0;
  for (std::size_t i = 0; i < FBudget.accounts.size(); ++i) {
    const TBudgetFigure& b = FBudget.accounts[i];
    names << Q(StoredToUtf8(b.name));
    *spent << Units(b.used);

    high = std::max({high, Units(b.used), Units(b.budget)});
    low = std::min({low, Units(b.used), Units(b.budget)});
  }
  connect(spent, &QBarSet::hovered, this, [this](bool state, int i) {
    if (i >= 0 && static_cast<std::size_t>(i) < FBudget.accounts.size()) {
      const TBudgetFigure& b = FBudget.accounts[static_cast<std::size_t>(i)];
      Tip(state, Q(StoredToUtf8(b.name)) + QStringLiteral(": ") + Q(FTexts[kRtSpent]) +
                     QStringLiteral(" ") + Amount(b.used) + QStringLiteral(", ") +
                     Q(FTexts[kRtBudgetSum]) + QStringLiteral(" ") + Amount(b.budget));
    }
  });
  bars->append(spent);
  bars->setBarWidth(0.5);
  chart->addSeries(bars);
  auto* axisX = new QBarCategoryAxis;
  axisX->append(names);
  axisX->setTitleText(Q(FTexts[kRtAccount]));
  // Each budget is a thick line across its account's bar.
  std::vector<QAbstractSeries*> marks;
  for (std::size_t i = 0; i < FBudget.accounts.size(); ++i) {
    auto* mark = new QLineSeries(chart);
    mark->setName(Q(FTexts[kRtBudgetSum]));
    mark->setPen(QPen(kNetColor, 4.0));
    const double x = static_cast<double>(i);
    const Money budget = FBudget.accounts[i].budget;
    mark->append(x - 0.3, Units(budget));
    mark->append(x + 0.3, Units(budget));
    connect(mark, &QLineSeries::hovered, this, [this, budget](const QPointF&, bool state) {
      Tip(state, Q(FTexts[kRtBudgetSum]) + QStringLiteral(": ") + Amount(budget));
    });
    chart->addSeries(mark);
    marks.push_back(mark);
  }
  auto* axisY = AmountAxis(Q(FCurrencyName));
  axisY->setRange(low, high > low ? high * 1.1 : low + 1);
  axisY->applyNiceNumbers();
  chart->addAxis(axisX, Qt::AlignBottom);
  chart->addAxis(axisY, Qt::AlignLeft);
  marks.push_back(bars);
  for (QAbstractSeries* series : marks) {
    series->attachAxis(axisX);
    series->attachAxis(axisY);
  }
  // One legend entry for all the budget lines.
  for (std::size_t i = 1; i + 1 < marks.size(); ++i)
    for (QLegendMarker* m : chart->legend()->markers(marks[i])) m->setVisible(false);
  chart->legend()->setAlignment(Qt::AlignBottom);
  QString title = Q(FTexts[kRtBudget]);
  if (FBudget.accounts.empty()) title += QStringLiteral(": ") + Q(FTexts[kRtNoData]);
  SetChart(chart, title);
  FillTable(BudgetTable(
      FBudget, [this](Money m) { return Amount(m).toStdString(); }, FTexts,
      GetSettings().GetDecimalSeparator()));
}
