#pragma once
// What the WMA settings page shows and stores, apart from its controls: the format lines of a
// codec, the codec's description text, the lines to select for a stored choice, and the
// choice to store for the selected lines.

#include <optional>
#include <string>
#include <vector>

#include "settings/WmaConfiguration.h"
#include "wma/WmaFormatEntry.h"

// The map's entries for `codecName`, in map order: CBR lines, then VBR lines.
std::vector<WmaFormatEntry> FormatLinesFor(const WmaFormatMap& formats, const std::string& codecName);

// The string table entry (129 to 133) of the first description rule the codec's lower-cased
// name matches; none when no rule matches, and the page keeps the text it showed last.
std::optional<int> CodecDescriptionStringId(const std::string& codecName);
// The text of string 129 to 133; empty for any other id.
std::string CodecDescriptionText(int stringId);

// The codec line for a stored codec index: the index itself when listed, else line 0; none
// when there is no codec.
std::optional<size_t> CodecLineFor(const WmaConfiguration& stored, size_t codecCount);
// The format line with the stored format index and VBR flag; else the first line; none for an
// empty list.
std::optional<size_t> FormatLineFor(const WmaConfiguration& stored, const std::vector<WmaFormatEntry>& lines);

// The record to store for the selected codec line and format line.
WmaConfiguration ConfigurationFor(size_t codecLine, const WmaFormatEntry& formatLine);
