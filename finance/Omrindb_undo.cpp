// CDataBase: the steps of changes, taken back and made again.
#include <cstddef>
#include <cstring>
#include <set>

#include "Logger.h"
#include "Omrindb.h"

namespace {

// The string id of the name (or description) field of a record image.
std::uint32_t NameIdOf(std::uint8_t type, std::string_view image) {
  std::size_t offset = 0;
  switch (type) {
    case kCurrencyRecord:
    case kAccountRecord:
    case kSubTypeRecord:
      offset = 0;
      break;
    case kTransactionRecord:
      offset = offsetof(TransactionRecord, descriptionId);
      break;
    case kPlnTransactionRecord:
      offset = offsetof(PlnTransactionRecord, transaction.descriptionId);
      break;
    default:
      return 0;
  }
  std::uint32_t id = 0;
  if (image.size() >= offset + sizeof id) std::memcpy(&id, image.data() + offset, sizeof id);
  return id;
}

bool IsItemOp(EJournalOp op) {
  return op == EJournalOp::kItemAdded || op == EJournalOp::kItemEdited ||
         op == EJournalOp::kItemDeleted;
}

}  // namespace

void CDataBase::BeginChange(EChangeKind kind, std::string subject, std::size_t count) {
  if (changeDepth++ > 0) return;
  FlushLooseChanges();
  openStep = CChangeStep();
  openStep.serial = ++stepSerial;
  if (stepObserver) stepObserver(openStep.serial);
  openStep.kind = kind;
  openStep.subject = std::move(subject);
  openStep.count = count;
  SetJournal(undoEnabled ? &openStep.journal : nullptr);
}

void CDataBase::EndChange() {
  if (changeDepth == 0 || --changeDepth > 0) return;
  SetJournal(undoEnabled && IsOpened() ? &looseChanges : nullptr);
  if (openStep.journal.empty()) return;
  DescribeStep(openStep);
  history.Push(std::move(openStep));
  openStep = CChangeStep();
}

void CDataBase::FlushLooseChanges() {
  if (looseChanges.empty()) return;
  CChangeStep step;
  step.serial = ++stepSerial;
  step.journal = std::move(looseChanges);
  looseChanges = CChangeJournal();
  DescribeStep(step);
  history.Push(std::move(step));
}

void CDataBase::DescribeStep(CChangeStep& step) {
  const CChangeJournal& changes = step.journal;
  const TPageArray<CJournalOp>& ops = changes.Ops();
  // A delete is about the last item it deleted of the first one's kind (a
  // category after the children it took along, a currency before its
  // rates); anything else about its first changed item.
  const CJournalOp* focus = nullptr;
  for (const CJournalOp& op : ops) {
    if (!IsItemOp(op.op)) continue;
    if (step.kind == EChangeKind::kDelete) {
      if (op.op == EJournalOp::kItemDeleted && (focus == nullptr || op.type == focus->type))
        focus = &op;
    } else if (focus == nullptr) {
      focus = &op;
    }
  }
  std::set<std::uint32_t> touched;
  for (const CJournalOp& op : ops)
    if (IsItemOp(op.op) && op.type == kTransactionRecord) touched.insert(op.id);
  if (step.count == 0) step.count = touched.size();
  if (focus == nullptr) return;
  step.focusType = focus->type;
  step.focusId = focus->id;
  if (!step.subject.empty()) return;
  if (focus->type == kExchangeRateRecord) {
    ExchangeRateRecord rate;
    std::memcpy(&rate, changes.Bytes(*focus).data(), sizeof rate);
    CCurrencyItem a, b;
    step.subject = GetCurrency(rate.currencyA, a).name + "/" + GetCurrency(rate.currencyB, b).name;
    return;
  }
  const bool deleted = focus->op == EJournalOp::kItemDeleted;
  const std::uint32_t nameId =
      NameIdOf(focus->type, focus->op == EJournalOp::kItemEdited ? changes.After(*focus)
                                                                 : changes.Bytes(*focus));
  if (nameId < kFirstFreeId) return;
  if (!deleted) {
    step.subject = GetString(nameId);
    return;
  }
  for (const CJournalOp& op : ops)
    if (op.op == EJournalOp::kStringDeleted && op.id == nameId)
      step.subject = std::string(changes.Bytes(op));
}

const CChangeStep* CDataBase::NextUndo() {
  if (changeDepth == 0) FlushLooseChanges();
  return history.NextUndo();
}

const CChangeStep* CDataBase::NextRedo() {
  if (changeDepth == 0) FlushLooseChanges();
  return history.NextRedo();
}

bool CDataBase::Undo() {
  return ReplayStep(true);
}

bool CDataBase::Redo() {
  return ReplayStep(false);
}

bool CDataBase::ReplayStep(bool undo) {
  ClearLastWriteError();
  const CChangeStep* step = undo ? NextUndo() : NextRedo();
  if (step == nullptr || changeDepth > 0) return false;
  const EReplay result = ReplayJournal(step->journal, undo);
  LoadExchangeRates();
  if (result == EReplay::kDone) {
    undo ? history.Undone() : history.Redone();
    return true;
  }
  if (result == EReplay::kBroken) history.clear();
  return false;
}

void CDataBase::EnableUndo(bool enabled) {
  undoEnabled = enabled;
  history.clear();
  looseChanges.clear();
  openStep.journal.clear();
  SetJournal(!enabled || !IsOpened() ? nullptr
             : changeDepth > 0       ? &openStep.journal
                                     : &looseChanges);
}

void CDataBase::SetBeforeFirstChange(std::function<void(const std::string& fileName)> hook) {
  if (!hook) {
    SetBeforeFirstWrite(nullptr);
    return;
  }
  SetBeforeFirstWrite([this, hook = std::move(hook)]() { hook(GetFileName()); });
}
