#pragma once
/// @file
/// Reads the XML-like files of the library tag by tag. Pure functions of their
/// source, which they advance; they never raise beyond what reading raises.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "zylcarto/support/export.h"

namespace zylcarto {

class TMemoryStream;
class TTextFile;

/// The lower-case tag names a reader looks for; the last index is returned at
/// the end of the input.
using TTagList = std::vector<std::string_view>;

/// Reads on to the next tag whose lower-case name stands in TagList and returns its
/// 0-based index; returns the last index of the list when the input ends first
/// (also inside a tag). Tags not in the list, comments and processing
/// instructions are passed over.
///  - Attributes: the text of the opening tag after its name, without the closing
///    ">" or "/>" (quoted values may hold ">" and span lines).
///  - Content: the text between the opening tag and "</name>", also over several
///    lines; empty for a self-closing tag and for a tag whose closing form
///    ("/name") is itself in TagList, which the caller reads as a tag of its own.
///    Without a closing tag the content runs to the end of the input.
ZYLCARTO_EXPORT std::uint8_t ReadNextTagInTextFile(TTextFile& Source, const TTagList& TagList, std::string& Attributes,
                                                   std::string& Content);
/// The same, reading one byte per character from the stream's position.
ZYLCARTO_EXPORT std::uint8_t ReadNextTagInStream(TMemoryStream& Source, const TTagList& TagList,
                                                 std::string& Attributes, std::string& Content);

}  // namespace zylcarto
