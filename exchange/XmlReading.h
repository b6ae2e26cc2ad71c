// Reading the XML books of other programs safely: one pass of libxml2's
// stream reader that fetches nothing, substitutes no entity, refuses a
// document type declaration and limits how deep elements nest, handing
// each element, its attributes and its text to a handler.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ForeignNote.h"

using TXmlAttributes = std::vector<std::pair<std::string, std::string>>;

class CXmlHandler {
 public:
  virtual ~CXmlHandler() = default;
  // An element starts (`line` in the file); an empty one ends at once.
  virtual void Start(const std::string& name, const TXmlAttributes& attributes,
                     std::uint32_t line) = 0;
  virtual void End(const std::string& name) = 0;
  virtual void Text(std::string_view text) = 0;
  // Whether the handler wants the attributes of `name` (reading them costs).
  virtual bool WantsAttributes(const std::string& name) const = 0;
};

// Walks `xml`, whose root element must be `root` (`format` names such a
// file in notes: "GnuCash"). False with the reason.
bool WalkXml(std::string_view xml, const std::string& root, const std::string& format,
             CXmlHandler& handler, CForeignNote& error);

// The value of attribute `name`, or "".
const std::string& AttributeOf(const TXmlAttributes& attributes, std::string_view name);
