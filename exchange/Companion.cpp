// The companion file beside a database, and the FITID store kept in it.
#include "Companion.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>

#include "Delimited.h"
#include "FileKit.h"
#include "Importer.h"
#include "Logger.h"
#include "Platform.h"

namespace {

constexpr char kHeader[] = "Pardow companion 1";
constexpr char kHeaderStem[] = "Pardow companion ";

std::string Escape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// False for a backslash before anything but \ t n r, or at the end.
bool Unescape(std::string_view text, std::string& out) {
  out.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      out += text[i];
      continue;
    }
    if (++i == text.size()) return false;
    switch (text[i]) {
      case '\\':
        out += '\\';
        break;
      case 't':
        out += '\t';
        break;
      case 'n':
        out += '\n';
        break;
      case 'r':
        out += '\r';
        break;
      default:
        return false;
    }
  }
  return true;
}

std::vector<std::string_view> SplitTabs(std::string_view line) {
  std::vector<std::string_view> fields;
  for (;;) {
    const std::size_t tab = line.find('\t');
    fields.push_back(line.substr(0, tab));
    if (tab == std::string_view::npos) return fields;
    line.remove_prefix(tab + 1);
  }
}

template <class T>
bool ParseNumber(std::string_view text, T& out) {
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, out);
  return !text.empty() && ec == std::errc() && ptr == end;
}

// A rule's amount bound: empty when it has none.
std::string OptionalMoney(const std::optional<Money>& amount) {
  return amount ? std::to_string(*amount) : std::string();
}

bool ParseOptionalMoney(std::string_view text, std::optional<Money>& amount) {
  amount.reset();
  if (text.empty()) return true;
  Money value = 0;
  if (!ParseNumber(text, value)) return false;
  amount = value;
  return true;
}

std::string RuleLine(const CImportRule& rule) {
  const CRuleMatch& m = rule.match;
  return "rule\t" + std::to_string(rule.id) + '\t' + RuleFieldName(m.field) + '\t' +
         RuleModeName(m.mode) + '\t' + (m.caseSensitive ? "1" : "0") + '\t' +
         OptionalMoney(m.amountMin) + '\t' + OptionalMoney(m.amountMax) + '\t' +
         RuleKindName(m.kind) + '\t' + std::to_string(m.account) + '\t' +
         std::to_string(rule.set.category) + '\t' + std::to_string(rule.set.member) + '\t' +
         std::to_string(rule.set.section) + '\t' + Escape(rule.set.description) + '\t' +
         Escape(m.text);
}

bool ParseRule(const std::vector<std::string_view>& f, CImportRule& rule) {
  CRuleMatch& m = rule.match;
  if (f.size() != 14 || (f[4] != "0" && f[4] != "1")) return false;
  m.caseSensitive = f[4] == "1";
  return ParseNumber(f[1], rule.id) && rule.id != 0 && RuleFieldFromName(f[2], m.field) &&
         RuleModeFromName(f[3], m.mode) && ParseOptionalMoney(f[5], m.amountMin) &&
         ParseOptionalMoney(f[6], m.amountMax) && RuleKindFromName(f[7], m.kind) &&
         ParseNumber(f[8], m.account) && ParseNumber(f[9], rule.set.category) &&
         ParseNumber(f[10], rule.set.member) && ParseNumber(f[11], rule.set.section) &&
         Unescape(f[12], rule.set.description) && Unescape(f[13], m.text);
}

// A kind is a lower-case word: anything else marks a damaged line.
bool IsKind(std::string_view kind) {
  if (kind.empty()) return false;
  for (char c : kind)
    if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_')) return false;
  return true;
}

bool IsHeader(std::string_view line) {
  const std::string_view stem = kHeaderStem;
  unsigned version = 0;
  return line.substr(0, stem.size()) == stem && ParseNumber(line.substr(stem.size()), version) &&
         version >= 1;
}

bool WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

// Removes `path`; a missing file is no failure.
bool RemoveIfThere(const std::string& path, std::string& error) {
  if (::unlink(path.c_str()) == 0 || errno == ENOENT) return true;
  error = SystemError(path);
  return false;
}

// Moves a damaged file to PATH.damaged (PATH.damaged.2, ... when taken).
bool MoveAside(const std::string& path, std::string& aside, std::string& error) {
  for (int n = 1; n < 1000; ++n) {
    aside = path + ".damaged" + (n == 1 ? "" : "." + std::to_string(n));
    if (Exists(aside)) continue;
    if (::rename(path.c_str(), aside.c_str()) == 0) {
      std::string ignored;  // the move is done; a failed folder sync changes nothing
      SyncFolderOf(path, ignored);
      return true;
    }
    error = SystemError(path);
    aside.clear();
    return false;
  }
  aside.clear();
  error = path + ": too many damaged copies beside it";
  return false;
}

// The FITIDs of the old store: "ACCOUNT<TAB>FITID<TAB>TRANSACTION" with
// '%', tab and line breaks of the FITID written %XX. A line cut by a crash
// is skipped.
bool ParseOldFitIdLine(std::string_view line, std::uint32_t& account, std::string& fitId,
                       std::uint32_t& transaction) {
  const std::size_t first = line.find('\t'), last = line.rfind('\t');
  if (first == std::string_view::npos || first == last) return false;
  if (!ParseNumber(line.substr(0, first), account) ||
      !ParseNumber(line.substr(last + 1), transaction) || transaction == 0)
    return false;
  fitId.clear();
  const std::string_view escaped = line.substr(first + 1, last - first - 1);
  for (std::size_t i = 0; i < escaped.size(); ++i) {
    unsigned value = 0;
    if (escaped[i] == '%' && i + 2 < escaped.size() &&
        std::from_chars(escaped.data() + i + 1, escaped.data() + i + 3, value, 16).ptr ==
            escaped.data() + i + 3) {
      fitId += static_cast<char>(value);
      i += 2;
    } else {
      fitId += escaped[i];
    }
  }
  return true;
}

}  // namespace

std::string CCompanion::PathFor(const std::string& databaseFile) {
  return databaseFile + ".companion";
}

std::string CCompanion::OldFitIdPathFor(const std::string& databaseFile) {
  return databaseFile + ".fitids";
}

void CCompanion::Clear() {
  path_.clear();
  oldFitIdPath_.clear();
  blocked_.clear();
  fitIds_.clear();
  fitTransactions_.clear();
  agreed_.clear();
  rules_.clear();
  unknown_.clear();
}

bool CCompanion::ParseLine(const std::string& line) {
  const std::vector<std::string_view> f = SplitTabs(line);
  if (!IsKind(f[0])) return false;
  if (f[0] == "fitid") {
    std::uint32_t account = 0, transaction = 0;
    std::string fitId;
    if (f.size() != 4 || !ParseNumber(f[1], account) || !Unescape(f[2], fitId) ||
        !ParseNumber(f[3], transaction) || transaction == 0)
      return false;
    AddFitId(account, fitId, transaction);
  } else if (f[0] == "agreed") {
    CAgreedCheck check;
    if (f.size() != 4 || !ParseNumber(f[1], check.account) ||
        !ParseIsoDate(std::string(f[2]), check.day) || !ParseNumber(f[3], check.balance))
      return false;
    AddAgreed(check);
  } else if (f[0] == "rule") {
    CImportRule rule;
    if (!ParseRule(f, rule)) return false;
    rules_.push_back(rule);
  } else {
    unknown_.push_back(line);
  }
  return true;
}

std::uint32_t CCompanion::NextRuleId() const {
  std::uint32_t id = 0;
  for (const CImportRule& rule : rules_) id = std::max(id, rule.id);
  return id + 1;
}

bool CCompanion::ReadOldFitIds(const std::string& databaseFile) {
  const std::string oldPath = OldFitIdPathFor(databaseFile);
  std::string bytes, error;
  if (!ReadFileBytes(oldPath, 0, bytes, error)) return false;
  std::string_view text = bytes;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    std::uint32_t account = 0, transaction = 0;
    std::string fitId;
    if (ParseOldFitIdLine(text.substr(0, end), account, fitId, transaction) &&
        FindFitId(account, fitId) == 0)
      AddFitId(account, fitId, transaction);
    text.remove_prefix(std::min(end + 1, text.size()));
  }
  oldFitIdPath_ = oldPath;
  return true;
}

CCompanionLoad CCompanion::Load(const std::string& databaseFile) {
  Clear();
  CCompanionLoad load;
  path_ = load.path = PathFor(databaseFile);
  std::string bytes, error;
  if (Exists(path_) && !ReadFileBytes(path_, 0, bytes, error)) {
    load.unreadable = true;
    load.reason = error;
    blocked_ = error;
  }
  if (!Exists(path_) || load.unreadable) {
    ReadOldFitIds(databaseFile);
    return load;
  }
  std::string_view text = bytes;
  std::size_t number = 0;
  while (!text.empty() && load.reason.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    std::string line(text.substr(0, end));
    if (!line.empty() && line.back() == '\r') line.pop_back();  // edited where lines end in CR LF
    text.remove_prefix(std::min(end + 1, text.size()));
    if (++number == 1) {
      if (!IsHeader(line)) load.reason = "line 1 is not \"" + std::string(kHeader) + "\"";
    } else if (!line.empty() && !ParseLine(line)) {
      load.reason = "line " + std::to_string(number) + " cannot be read";
    }
  }
  if (number == 0) load.reason = "the file is empty";
  if (!load.reason.empty()) {
    Clear();
    path_ = load.path;
    load.damaged = true;
    if (!MoveAside(path_, load.asidePath, error)) {
      load.reason += "; it could not be moved aside: " + error;
      blocked_ = load.reason;
    }
  }
  ReadOldFitIds(databaseFile);
  return load;
}

bool CCompanion::Save(std::string& error) {
  if (!blocked_.empty()) {
    error = path_ + ": " + blocked_;
    return false;
  }
  std::string text = std::string(kHeader) + '\n';
  for (const auto& [key, transaction] : fitIds_)
    text += "fitid\t" + std::to_string(key.first) + '\t' + Escape(key.second) + '\t' +
            std::to_string(transaction) + '\n';
  for (const auto& [key, balance] : agreed_)
    text += "agreed\t" + std::to_string(key.first) + '\t' +
            FormatIsoDate(static_cast<Date>(key.second)) + '\t' + std::to_string(balance) + '\n';
  for (const CImportRule& rule : rules_) text += RuleLine(rule) + '\n';
  for (const std::string& line : unknown_) text += line + '\n';
  if (!WriteFileAtomically(path_, text, error)) return false;
  // The old FITIDs are in the companion now.
  if (!oldFitIdPath_.empty()) {
    std::string ignored;
    if (RemoveIfThere(oldFitIdPath_, ignored)) oldFitIdPath_.clear();
  }
  return true;
}

std::uint32_t CCompanion::FindFitId(std::uint32_t account, const std::string& fitId) const {
  auto it = fitIds_.find({account, fitId});
  return it == fitIds_.end() ? 0 : it->second;
}

void CCompanion::AddFitId(std::uint32_t account, const std::string& fitId,
                          std::uint32_t transaction) {
  auto [it, added] = fitIds_.try_emplace({account, fitId}, transaction);
  if (!added) {
    fitTransactions_.erase(fitTransactions_.find(it->second));
    it->second = transaction;
  }
  fitTransactions_.insert(transaction);
}

void CCompanion::AddAgreed(CAgreedCheck check) {
  agreed_[{check.account, static_cast<std::int64_t>(WholeDay(check.day))}] = check.balance;
}

std::optional<CAgreedCheck> CCompanion::LastAgreed(std::uint32_t account, Date before) const {
  auto it = agreed_.lower_bound({account, static_cast<std::int64_t>(WholeDay(before))});
  if (it == agreed_.begin()) return std::nullopt;
  --it;
  if (it->first.first != account) return std::nullopt;
  return CAgreedCheck{account, static_cast<Date>(it->first.second), it->second};
}

std::map<std::uint32_t, Date> CCompanion::LastAgreedDays() const {
  std::map<std::uint32_t, Date> days;
  for (const auto& [key, balance] : agreed_) days[key.first] = static_cast<Date>(key.second);
  return days;  // the map is ordered by day within an account: the last one stays
}

bool UpdateCompanion(const std::string& databaseFile,
                     const std::function<void(CCompanion&)>& change, std::string& error,
                     CCompanionLoad* load) {
  CCompanion companion;
  CCompanionLoad loaded = companion.Load(databaseFile);
  change(companion);
  const bool ok = companion.Save(error);
  if (load != nullptr) *load = std::move(loaded);
  return ok;
}

std::string CompanionLoadText(const CCompanionLoad& load) {
  if (load.unreadable) return "The companion file cannot be read: " + load.reason;
  if (!load.damaged) return {};
  std::string text = "The companion file " + load.path + " is damaged (" + load.reason + ")";
  if (!load.asidePath.empty())
    text += "; it was moved to " + load.asidePath + " and a new one is started";
  return text + ".";
}

bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string& error) {
  const std::string temp = path + ".tmp";
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    error = SystemError(temp);
    return false;
  }
  bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
  if (!ok) error = SystemError(temp);
  if (::close(fd) != 0 && ok) {
    error = SystemError(temp);
    ok = false;
  }
  if (ok && ::rename(temp.c_str(), path.c_str()) != 0) {
    error = SystemError(path);
    ok = false;
  }
  if (!ok) {
    ::unlink(temp.c_str());
    return false;
  }
  return SyncFolderOf(path, error);
}

namespace {

// The files that travel with a database.
std::vector<std::string> CompanionFiles(const std::string& databaseFile) {
  return {CCompanion::PathFor(databaseFile), CCompanion::OldFitIdPathFor(databaseFile)};
}

}  // namespace

bool DeleteCompanion(const std::string& databaseFile, std::string& error) {
  bool ok = true;
  for (const std::string& file : CompanionFiles(databaseFile))
    ok = RemoveIfThere(file, error) && ok;
  return ok && SyncFolderOf(CCompanion::PathFor(databaseFile), error);
}

bool MoveCompanion(const std::string& fromDatabase, const std::string& toDatabase,
                   std::string& error) {
  const std::vector<std::string> from = CompanionFiles(fromDatabase),
                                 to = CompanionFiles(toDatabase);
  for (std::size_t i = 0; i < from.size(); ++i) {
    if (Exists(from[i])) {
      if (::rename(from[i].c_str(), to[i].c_str()) != 0) {
        error = SystemError(from[i]);
        return false;
      }
    } else if (!RemoveIfThere(to[i], error)) {
      return false;
    }
  }
  return SyncFolderOf(to[0], error) && SyncFolderOf(from[0], error);
}

bool CopyCompanion(const std::string& fromDatabase, const std::string& toDatabase,
                   std::string& error) {
  const std::vector<std::string> from = CompanionFiles(fromDatabase),
                                 to = CompanionFiles(toDatabase);
  for (std::size_t i = 0; i < from.size(); ++i) {
    std::string bytes;
    if (!Exists(from[i])) {
      if (!RemoveIfThere(to[i], error)) return false;
    } else if (!ReadFileBytes(from[i], 0, bytes, error) ||
               !WriteFileAtomically(to[i], bytes, error)) {
      return false;
    }
  }
  return SyncFolderOf(to[0], error);
}

// ---- The FITID store ----

std::string CFitIdStore::PathFor(const std::string& databaseFile) {
  return CCompanion::PathFor(databaseFile);
}

CFitIdStore::CFitIdStore(const std::string& databaseFile)
    : databaseFile_(databaseFile), companion_(std::make_unique<CCompanion>()) {
  if (databaseFile.empty()) return;
  const CCompanionLoad load = companion_->Load(databaseFile);
  if (load.Fine()) return;
  const std::string text = CompanionLoadText(load);
  LogWarning(text);
  ShowMessage(text);
}

CFitIdStore::~CFitIdStore() = default;

std::uint32_t CFitIdStore::Find(std::uint32_t account, const std::string& fitId) const {
  return companion_->FindFitId(account, fitId);
}

bool CFitIdStore::HasTransaction(std::uint32_t transaction) const {
  return companion_->HasFitIdTransaction(transaction);
}

bool CFitIdStore::Add(
    const std::vector<std::tuple<std::uint32_t, std::string, std::uint32_t>>& entries,
    std::string& error) {
  if (entries.empty()) return true;
  if (databaseFile_.empty()) {
    error = "the database has no file name";
    return false;
  }
  // Read again before writing, so that what others stored since is kept.
  const auto add = [&entries](CCompanion& companion) {
    for (const auto& [account, fitId, transaction] : entries)
      companion.AddFitId(account, fitId, transaction);
  };
  if (!UpdateCompanion(databaseFile_, add, error)) return false;
  add(*companion_);
  return true;
}
