#include "RulesCmd.h"

#include <iostream>
#include <iterator>
#include <nlohmann/json.hpp>

#include "Access.h"
#include "Args.h"
#include "Companion.h"
#include "RuleChanges.h"

namespace {

using Json = nlohmann::ordered_json;

int Bad(const std::string& command, const std::string& text) {
  std::cerr << "pardow-cli: " << command << ": " << text << "\n";
  return 2;
}

Json ToJson(const CImportRule& rule, std::size_t position) {
  const CRuleMatch& m = rule.match;
  Json match = {{"text", m.text},
                {"field", RuleFieldName(m.field)},
                {"mode", RuleModeName(m.mode)},
                {"caseSensitive", m.caseSensitive},
                {"amountMin", m.amountMin ? Json(*m.amountMin) : Json()},
                {"amountMax", m.amountMax ? Json(*m.amountMax) : Json()},
                {"kind", RuleKindName(m.kind)},
                {"account", m.account}};
  Json set = {{"category", rule.set.category},
              {"member", rule.set.member},
              {"section", rule.set.section},
              {"description", rule.set.description}};
  return {{"id", rule.id}, {"position", position}, {"match", match}, {"set", set}};
}

// Reads the fields given in `input` into `rule` and `position` (1 = first;
// 0 when not given). False with the reason.
bool ReadRule(const Json& input, CImportRule& rule, std::size_t& position, std::string& error) {
  auto fail = [&](const std::string& why) {
    error = why;
    return false;
  };
  for (const auto& [key, value] : input.items()) {
    if (key == "id") continue;
    if (key == "position") {
      if (!value.is_number_unsigned() || value.get<std::size_t>() == 0)
        return fail("\"position\" wants a number from 1");
      position = value.get<std::size_t>();
    } else if (key == "match" && value.is_object()) {
      CRuleMatch& m = rule.match;
      for (const auto& [name, field] : value.items()) {
        const bool text = field.is_string();
        if (name == "text" && text) {
          m.text = field.get<std::string>();
        } else if (name == "field" && text) {
          if (!RuleFieldFromName(field.get<std::string>(), m.field))
            return fail("\"field\" wants description, comment or any");
        } else if (name == "mode" && text) {
          if (!RuleModeFromName(field.get<std::string>(), m.mode))
            return fail("\"mode\" wants contains, words or regex");
        } else if (name == "kind" && text) {
          if (!RuleKindFromName(field.get<std::string>(), m.kind))
            return fail("\"kind\" wants any, expense or income");
        } else if (name == "caseSensitive" && field.is_boolean()) {
          m.caseSensitive = field.get<bool>();
        } else if ((name == "amountMin" || name == "amountMax") &&
                   (field.is_null() || field.is_number_integer())) {
          auto& bound = name == "amountMin" ? m.amountMin : m.amountMax;
          bound = field.is_null() ? std::nullopt : std::optional<Money>(field.get<Money>());
        } else if (name == "account" && field.is_number_unsigned()) {
          m.account = field.get<std::uint32_t>();
        } else {
          return fail("\"match\" has no field \"" + name + "\" of that kind");
        }
      }
    } else if (key == "set" && value.is_object()) {
      for (const auto& [name, field] : value.items()) {
        if (name == "description" && field.is_string())
          rule.set.description = field.get<std::string>();
        else if (name == "category" && field.is_number_unsigned())
          rule.set.category = field.get<std::uint32_t>();
        else if (name == "member" && field.is_number_unsigned())
          rule.set.member = field.get<std::uint32_t>();
        else if (name == "section" && field.is_number_unsigned())
          rule.set.section = field.get<std::uint32_t>();
        else
          return fail("\"set\" has no field \"" + name + "\" of that kind");
      }
    } else {
      return fail("unknown field \"" + key + "\"");
    }
  }
  return true;
}

Json ParseInput(const std::vector<std::string>& args, std::size_t at, std::string& error) {
  std::string text;
  if (args.size() > at) {
    text = args[at];
  } else {
    text.assign(std::istreambuf_iterator<char>(std::cin), {});
  }
  try {
    Json input = Json::parse(text);
    if (input.is_object()) return input;
    error = "the input is not a JSON object";
  } catch (const Json::exception& e) {
    error = std::string("the input is not valid JSON: ") + e.what();
  }
  return Json();
}

bool ParseId(const std::string& text, std::uint32_t& id) {
  return ParseWholeNumber(text, id) && id != 0;
}

int ApplyRules(CDataBase& db, const std::vector<CImportRule>& rules,
               const std::vector<std::string>& args) {
  Date from = -1e9, to = 1e9;
  bool dryRun = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--dry-run") {
      dryRun = true;
    } else if ((args[i] == "--from" || args[i] == "--to") && i + 1 < args.size()) {
      if (!ParseIsoDate(args[i + 1], args[i] == "--from" ? from : to))
        return Bad("apply-rules", args[i] + " wants YYYY-MM-DD");
      ++i;
    } else {
      return Bad("apply-rules", "unknown option " + args[i]);
    }
  }
  const CRuleMatcher matcher(rules);
  const std::vector<CRuleChange> changes = PlanRuleChanges(db, matcher, from, to);
  std::size_t written = 0;
  const bool stored = dryRun || StoreRuleChanges(db, changes, false, &written);
  if (dryRun) written = changes.size();
  Json changed = Json::array();
  for (std::size_t i = 0; i < written; ++i) {
    const CTransactionItem& item = changes[i].after;
    changed.push_back({{"id", item.id},
                       {"date", FormatIsoDate(item.record.date)},
                       {"description", item.description},
                       {"category", item.record.categoryId},
                       {"member", item.record.memberId},
                       {"section", item.record.sectionId}});
  }
  std::cout << Json{{"changed", changed}, {"count", changed.size()}, {"stored", !dryRun && stored}}
                   .dump(2)
            << "\n";
  if (!stored) {
    std::cerr << "pardow-cli: apply-rules: the changes were not all stored: "
              << db.GetLastWriteError() << "; those listed were\n";
    return 1;
  }
  return 0;
}

}  // namespace

int RunRulesCommand(const std::string& command, const std::vector<std::string>& args) {
  if (args.empty()) return Bad(command, "wants a database FILE");
  CDataBase db;
  if (int rc = OpenForCommand(db, args[0])) return rc;
  CCompanion companion;
  const CCompanionLoad load = companion.Load(db.GetFileName());
  if (!load.Fine()) std::cerr << "pardow-cli: " << CompanionLoadText(load) << "\n";
  std::vector<CImportRule>& rules = companion.Rules();
  if (command == "rules") {
    if (args.size() != 1) return Bad(command, "wants a database FILE only");
    Json out = Json::array();
    for (std::size_t i = 0; i < rules.size(); ++i) out.push_back(ToJson(rules[i], i + 1));
    std::cout << out.dump(2) << "\n";
    return 0;
  }
  if (command == "apply-rules") return ApplyRules(db, rules, args);
  std::string error;
  if (command == "delete-rule") {
    std::uint32_t id = 0;
    if (args.size() != 2 || !ParseId(args[1], id)) return Bad(command, "wants DB ID");
    const auto it =
        std::find_if(rules.begin(), rules.end(), [id](const CImportRule& r) { return r.id == id; });
    if (it == rules.end()) return Bad(command, "there is no rule " + args[1]);
    rules.erase(it);
  } else {
    if (args.size() > 2) return Bad(command, "wants DB and one JSON object");
    const Json input = ParseInput(args, 1, error);
    if (input.is_null()) return Bad(command, error);
    CImportRule rule;
    std::size_t position = 0;
    auto at = rules.end();
    if (command == "edit-rule") {
      std::uint32_t id = 0;
      if (!input.contains("id") || !input["id"].is_number_unsigned() ||
          (id = input["id"].get<std::uint32_t>()) == 0)
        return Bad(command, "wants the rule's \"id\"");
      at = std::find_if(rules.begin(), rules.end(),
                        [id](const CImportRule& r) { return r.id == id; });
      if (at == rules.end()) return Bad(command, "there is no rule " + std::to_string(id));
      rule = *at;
    } else {
      if (input.contains("id")) return Bad(command, "a new rule gets its \"id\"");
      rule.id = companion.NextRuleId();
    }
    if (!ReadRule(input, rule, position, error)) return Bad(command, error);
    if (const CRuleProblem problem = RuleReferenceProblem(db, rule))
      return Bad(command, problem.text);
    if (at != rules.end()) {
      const std::size_t old = static_cast<std::size_t>(at - rules.begin());
      rules.erase(at);
      if (position == 0) position = old + 1;
    }
    position = position == 0 ? rules.size() : std::min(position - 1, rules.size());
    rules.insert(rules.begin() + static_cast<std::ptrdiff_t>(position), rule);
    if (command == "add-rule") std::cout << Json{{"id", rule.id}}.dump(2) << "\n";
  }
  if (!companion.Save(error)) {
    std::cerr << "pardow-cli: " << command << ": the rules could not be stored: " << error << "\n";
    return 1;
  }
  return 0;
}
