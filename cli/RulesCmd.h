// pardow-cli rules, add-rule, edit-rule, delete-rule and apply-rules: the
// categorizing rules kept beside a database, and applying them to the
// transactions already stored.
#pragma once

#include <string>
#include <vector>

#define PARDOW_RULES_USAGE                                                                \
  "  rules DB      print the categorizing rules as JSON, in their order\n"                \
  "  add-rule DB [JSON]  edit-rule DB [JSON]  delete-rule DB ID\n"                        \
  "                add a rule (JSON {\"match\": {\"text\", \"field\", \"mode\", ...},\n"  \
  "                \"set\": {\"category\", ...}, \"position\"}; prints its id), change\n" \
  "                the fields given of the rule named by \"id\", delete one\n"            \
  "  apply-rules DB [--from D] [--to D] [--dry-run]\n"                                    \
  "                give the stored expenses and incomes of the period what the\n"         \
  "                first matching rule sets; print the changed ones as JSON\n"

// 0 when done, 1 when the file cannot be opened or a change not stored, 2
// for bad arguments or a rule that cannot be used.
int RunRulesCommand(const std::string& command, const std::vector<std::string>& args);
