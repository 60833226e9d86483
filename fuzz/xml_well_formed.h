#pragma once

// A small well-formedness check for the XML documents the add-in writes (customUI and
// dynamic menu content): one root element, properly nested and closed tags, quoted and
// unique attributes, only the five predefined entities and character references, and only
// characters that XML allows. No DTD, CDATA or processing instruction other than the
// declaration: the writer never produces them, so meeting one is a failure too.

#include <string>
#include <string_view>

namespace tarvex::fuzz {

/// Empty when `document` is well-formed; otherwise the first problem and its offset.
std::string XmlWellFormedProblem(std::u16string_view document);

} // namespace tarvex::fuzz
