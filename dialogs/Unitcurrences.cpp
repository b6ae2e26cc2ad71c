#include "Unitcurrences.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>
#include <tuple>

#include "ControlTexts.h"
#include "CurrencyListRow.h"
#include "CurrencyLogic.h"
#include "DialogKit.h"
#include "Include.h"
#include "Logger.h"
#include "Qtexts.h"
#include "Uniteditcurrences.h"
#include "Unitexchangerate.h"

// ---- The currency lists ----------------------------------------------------

CCurrencyListDelegate::CCurrencyListDelegate(const QPixmap& linesImage, QObject* parent)
    : QStyledItemDelegate(parent), lines_(linesImage) {}

void CCurrencyListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const {
  const bool selected = option.state & QStyle::State_Selected;
  PaintCurrencyListRow(*painter, option.rect, CurrencyRowStrip(index.row(), selected), selected,
                       index.data(kFullNameRole).toString(), index.data(kShortNameRole).toString(),
                       lines_);
}

QSize CCurrencyListDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const {
  return {kCurrencyShortNameLeft, kCurrencyRowHeight};
}

void FillCurrencyList(QListWidget& list, const TCurrencyItems& currencies, bool withShortNames) {
  list.clear();
  for (const CCurrencyItem& currency : currencies) {
    auto* item = new QListWidgetItem(&list);
    item->setData(CCurrencyListDelegate::kFullNameRole, StoredToQString(currency.fullName));
    if (withShortNames)
      item->setData(CCurrencyListDelegate::kShortNameRole, StoredToQString(currency.name));
  }
}

// ---- The window ------------------------------------------------------------

TFormCurrences::TFormCurrences(QWidget* parent) : QDialog(parent) {
  LBCurrences = new QListWidget(this);
  LBCurrences->setObjectName("LBCurrences");
  LBCurrences->setUniformItemSizes(true);
  LBCurrences->setSelectionMode(QAbstractItemView::SingleSelection);
  LBCurrences->setContextMenuPolicy(Qt::CustomContextMenu);
  LBCurrences->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);  // long names end in "..."
  LBCurrences->setMinimumSize(kCurrencyShortNameLeft + 80, 8 * kCurrencyRowHeight);
  LbName = new QLabel(this);
  LbName->setObjectName("LbName");
  LbShortName = new QLabel(this);
  LbShortName->setObjectName("LbShortName");

  BtAdd = MakeButton(this, "BtAdd");
  BtEdit = MakeButton(this, "BtEdit");
  BtDel = MakeButton(this, "BtDel");
  BtExRate = MakeButton(this, "BtExRate");
  BtExit = MakeButton(this, "BtExit");
  BtExit->setDefault(true);

  CurrencesMenu = new QMenu(this);
  CurrencesMenu->setObjectName("CurrencesMenu");
  Add1 = MakeAction(CurrencesMenu, "Add1");
  Edit1 = MakeAction(CurrencesMenu, "Edit1");
  Delete1 = MakeAction(CurrencesMenu, "Delete1");

  QString add, edit, del;
  ApplyTexts({
      {CaptionOf(this), 3000, "Currencies"},
      {CaptionOf(LbName), 9, "Name"},
      {CaptionOf(LbShortName), 3001, "Short name"},
      {Store(&add), 4, "Add"},
      {Store(&edit), 5, "Edit"},
      {Store(&del), 6, "Delete"},
      {CaptionOf(BtExit), 8, "Close"},
      {Store(&textDelete_), 3002, "Delete currency"},
      {CaptionOf(BtExRate), 3003, "Edit exchange rate"},
  });
  for (auto [button, action, text] :
       {std::tuple{BtAdd, Add1, add}, {BtEdit, Edit1, edit}, {BtDel, Delete1, del}}) {
    button->setText(text);
    action->setText(text);
  }

  // The headings stand over the rows' two text columns.
  auto* headings = new QHBoxLayout;
  headings->setSpacing(0);
  headings->setContentsMargins(LBCurrences->frameWidth() + kCurrencyFullNameLeft, 0, 0, 0);
  LbName->setFixedWidth(kCurrencyShortNameLeft - kCurrencyFullNameLeft);
  headings->addWidget(LbName);
  headings->addWidget(LbShortName, 1);
  auto* list = new QVBoxLayout;
  list->setSpacing(2);
  list->addLayout(headings);
  list->addWidget(LBCurrences, 1);
  auto* buttons = new QVBoxLayout;
  buttons->addSpacing(LbName->sizeHint().height() + 2);
  buttons->addWidget(BtAdd);
  buttons->addWidget(BtEdit);
  buttons->addWidget(BtDel);
  buttons->addSpacing(12);
  buttons->addWidget(BtExRate);
  buttons->addStretch();
  buttons->addWidget(BtExit);
  auto* layout = new QHBoxLayout(this);
  layout->setSpacing(8);
  layout->addLayout(list, 1);
  layout->addLayout(buttons);
  resize(520, 320);

  connect(BtAdd, &QPushButton::clicked, this, &TFormCurrences::BtAddClick);
  connect(BtEdit, &QPushButton::clicked, this, &TFormCurrences::BtEditClick);
  connect(BtDel, &QPushButton::clicked, this, &TFormCurrences::BtDelClick);
  connect(BtExRate, &QPushButton::clicked, this, &TFormCurrences::BtExRateClick);
  connect(BtExit, &QPushButton::clicked, this, &QDialog::accept);
  connect(Add1, &QAction::triggered, this, &TFormCurrences::BtAddClick);
  connect(Edit1, &QAction::triggered, this, &TFormCurrences::BtEditClick);
  connect(Delete1, &QAction::triggered, this, &TFormCurrences::BtDelClick);
  connect(LBCurrences, &QListWidget::itemDoubleClicked, this, &TFormCurrences::LBCurrencesDblClick);
  connect(LBCurrences, &QListWidget::customContextMenuRequested, this,
          &TFormCurrences::LBCurrencesMouseDown);
  connect(LBCurrences, &QListWidget::itemSelectionChanged, this, &TFormCurrences::UpdateCommands);
  UpdateCommands();
}

void TFormCurrences::Execute(CDataBase& database, const QPixmap& linesImage) {
  if (linesImage.isNull()) {
    LogError("[Currences] Not initialized!");
    return;
  }
  db_ = &database;
  lines_ = linesImage;
  LBCurrences->setItemDelegate(new CCurrencyListDelegate(linesImage, LBCurrences));
  Fill();
  exec();
  db_ = nullptr;
}

void TFormCurrences::Fill(std::uint32_t selectId) {
  currencies_ = db_ ? db_->GetCurrencyItems() : TCurrencyItems();
  FillCurrencyList(*LBCurrences, currencies_, true);
  int row = 0;
  for (std::size_t i = 0; i < currencies_.size(); ++i) {
    if (currencies_[i].id == selectId) row = static_cast<int>(i);
  }
  if (!currencies_.empty()) LBCurrences->setCurrentRow(row);
  UpdateCommands();
}

const CCurrencyItem* TFormCurrences::Selected() const {
  const QList<QListWidgetItem*> selected = LBCurrences->selectedItems();
  if (selected.isEmpty()) return nullptr;
  const int row = LBCurrences->row(selected.front());
  return row >= 0 && row < static_cast<int>(currencies_.size()) ? &currencies_[row] : nullptr;
}

void TFormCurrences::UpdateCommands() {
  const bool selected = Selected() != nullptr;
  BtEdit->setEnabled(selected);
  BtDel->setEnabled(selected);
  Edit1->setEnabled(selected);
  Delete1->setEnabled(selected);
}

void TFormCurrences::BtAddClick() {
  if (!db_) return;
  TFormEditCurrency editor(this);
  const std::uint32_t id = editor.Execute(*db_, 0);
  if (id != 0) Fill(id);
  LBCurrences->setFocus();
}

void TFormCurrences::BtEditClick() {
  const CCurrencyItem* currency = Selected();
  if (!currency || !db_) return;
  TFormEditCurrency editor(this);
  const std::uint32_t id = editor.Execute(*db_, currency->id);
  if (id != 0) Fill(id);
  LBCurrences->setFocus();
}

void TFormCurrences::BtDelClick() {
  const CCurrencyItem* currency = Selected();
  if (!currency || !db_) return;
  const std::uint32_t id = currency->id;
  const std::string question = DeleteCurrencyQuestion(
      textDelete_, currency->fullName, CountCurrencyUses(*db_, id), CountCurrencyRates(*db_, id));
  if (AskConfirmation(this, Q(question), QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes) {
    if (!db_->DelCurrency(id)) {
      ShowNotDeleted(db_->GetLastWriteError());
      Fill(id);
    } else {
      Fill();
    }
  }
  LBCurrences->setFocus();
}

void TFormCurrences::BtExRateClick() {
  if (!db_) return;
  TFormExchangeRate window(this);
  window.Execute(*db_, lines_);
}

void TFormCurrences::LBCurrencesMouseDown(const QPoint& pos) {
  if (QListWidgetItem* item = LBCurrences->itemAt(pos)) LBCurrences->setCurrentItem(item);
  UpdateCommands();
  CurrencesMenu->popup(LBCurrences->viewport()->mapToGlobal(pos));
}

void TFormCurrences::LBCurrencesDblClick(QListWidgetItem* item) {
  if (!item) return;
  LBCurrences->setCurrentItem(item);
  BtEditClick();
}
