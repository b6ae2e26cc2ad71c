#include "Enginetexts.h"

#include <cstdint>

#include "Include.h"

namespace {

struct CEnginePhrase {
  std::uint32_t id;
  const char* english;
};

// Longer phrases first where one could contain another.
const CEnginePhrase kPhrases[] = {
    {24000, "File is open in another program!"},
    {24001, "File is corrupted or read only!"},
    {24002, "This is a folder, not a database file!"},
    {24003, "File is 4 GiB or larger!"},
    {24004, "Invalid file type!"},
    {24005, "Can't convert! Unknown version."},
    {24006, "Please, update software to latest version to open this file"},
    {24007, "Invalid database version: "},
    {24008, "Can't initialize file stream."},
    {24009, " is damaged and will be repaired."},
    {24010, "A copy of it as found is kept as "},
    {24011, "The file "},
    {24012, "Can't open: "},
    {24013, "Planned transactions could not be stored: "},
};

}  // namespace

std::string LocalizeEngineMessage(const std::string& text) {
  std::string result = text;
  for (const CEnginePhrase& phrase : kPhrases) {
    const std::string english = phrase.english;
    const std::size_t at = result.find(english);
    if (at == std::string::npos) continue;
    result.replace(at, english.size(), GetLocalizedText(phrase.id, english));
  }
  return result;
}
