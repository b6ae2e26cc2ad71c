#include "XmlReading.h"

#include <libxml/xmlreader.h>

#include <algorithm>
#include <climits>
#include <memory>

namespace {

constexpr std::size_t kMaxDepth = 64;

void Quiet(void*, xmlErrorPtr) {}  // errors are taken from the reader

}  // namespace

const std::string& AttributeOf(const TXmlAttributes& attributes, std::string_view name) {
  static const std::string none;
  for (const auto& [key, value] : attributes)
    if (key == name) return value;
  return none;
}

bool WalkXml(std::string_view xml, const std::string& root, const std::string& format,
             CXmlHandler& handler, CForeignNote& error) {
  if (xml.size() > static_cast<std::size_t>(INT_MAX)) {
    error = {EForeignNote::kTooLarge, static_cast<std::size_t>(INT_MAX) >> 20, 0, {}, {}};
    return false;
  }
  // No network, no entity substitution, no DTD loading: the file's own
  // elements and text only.
  std::unique_ptr<xmlTextReader, void (*)(xmlTextReaderPtr)> reader(
      xmlReaderForMemory(xml.data(), static_cast<int>(xml.size()), nullptr, nullptr,
                         XML_PARSE_NONET | XML_PARSE_COMPACT),
      xmlFreeTextReader);
  if (!reader) {
    error = {EForeignNote::kCannotOpen};
    return false;
  }
  xmlTextReaderSetStructuredErrorHandler(reader.get(), Quiet, nullptr);
  std::vector<std::string> open;
  TXmlAttributes attributes;
  int rc = 0;
  bool first = true;
  while ((rc = xmlTextReaderRead(reader.get())) == 1) {
    const auto line =
        static_cast<std::uint32_t>(std::max(0, xmlTextReaderGetParserLineNumber(reader.get())));
    const int type = xmlTextReaderNodeType(reader.get());
    if (type == XML_READER_TYPE_DOCUMENT_TYPE) {
      error = {EForeignNote::kDocumentType, 1, 0, {}, format};
      return false;
    }
    if (type == XML_READER_TYPE_ENTITY_REFERENCE) {
      error = {EForeignNote::kEntity, 1, line, {}, {}};
      return false;
    }
    if (type == XML_READER_TYPE_ELEMENT) {
      const std::string name = reinterpret_cast<const char*>(xmlTextReaderConstName(reader.get()));
      if (first && name != root) {
        error = {EForeignNote::kNotThisFormat, 1, 0, {}, format};
        return false;
      }
      first = false;
      if (open.size() > kMaxDepth) {
        error = {EForeignNote::kNestingTooDeep, 1, line, {}, format};
        return false;
      }
      const bool empty = xmlTextReaderIsEmptyElement(reader.get()) == 1;
      attributes.clear();
      if (handler.WantsAttributes(name))
        while (xmlTextReaderMoveToNextAttribute(reader.get()) == 1)
          attributes.emplace_back(
              reinterpret_cast<const char*>(xmlTextReaderConstName(reader.get())),
              reinterpret_cast<const char*>(xmlTextReaderConstValue(reader.get())));
      handler.Start(name, attributes, line);
      if (empty)
        handler.End(name);
      else
        open.push_back(name);
    } else if (type == XML_READER_TYPE_END_ELEMENT) {
      if (!open.empty()) {
        handler.End(open.back());
        open.pop_back();
      }
    } else if (type == XML_READER_TYPE_TEXT || type == XML_READER_TYPE_CDATA ||
               type == XML_READER_TYPE_SIGNIFICANT_WHITESPACE) {
      if (const xmlChar* value = xmlTextReaderConstValue(reader.get()))
        handler.Text(reinterpret_cast<const char*>(value));
    }
  }
  if (rc != 0 || first) {
    // Where the parser stopped; its own words are English and not shown.
    const xmlError* last = xmlGetLastError();
    error = {first ? EForeignNote::kNoXml : EForeignNote::kDamaged,
             1,
             !first && last != nullptr ? static_cast<std::uint32_t>(std::max(0, last->line)) : 0,
             {},
             {}};
    return false;
  }
  return true;
}
