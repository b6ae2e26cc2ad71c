// pardow-cli commands that make one change each: add, edit or delete one
// transaction, planned transaction, account or subtype. Items are written as
// JSON objects shaped like the ones `dump` prints.
#pragma once

#include <string>
#include <vector>

// The lines of these commands in the tool's usage text.
#define PARDOW_EDIT_USAGE                                                         \
  "  add-transaction FILE [JSON]   add-planned FILE [JSON]\n"                     \
  "  add-account FILE [JSON]       add-subtype FILE [JSON]\n"                     \
  "                add one item; JSON (or standard input) holds its fields as\n"  \
  "                `dump` prints them, without \"id\"; prints {\"id\": NEW_ID}\n" \
  "  edit-transaction FILE [JSON]  edit-planned FILE [JSON]\n"                    \
  "  edit-account FILE [JSON]      edit-subtype FILE [JSON]\n"                    \
  "                change the fields given; JSON names the item by \"id\"\n"      \
  "  delete-transaction FILE ID    delete-planned FILE ID\n"                      \
  "  delete-account FILE ID        delete-subtype FILE ID [--with-children]\n"    \
  "                delete one item (an account still in use is refused; a\n"      \
  "                subtype's children move to its parent unless --with-children)\n"

// Runs `command` when it is one of the commands above: 0 when the change is
// stored, 1 when the file cannot be opened or the change not stored, 2 when
// the arguments or the JSON are not valid (nothing is stored then). -1 when
// `command` is none of them.
int RunEditCommand(const std::string& command, const std::vector<std::string>& args);
