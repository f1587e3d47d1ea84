// CSV as RFC 4180 writes it, in UTF-8: cells separated by commas, records
// ended by CR LF. A cell holding a comma, a quote, a control character
// (CR, LF, tab, ...) or a leading space is quoted, quotes doubled. A cell
// that a spreadsheet would take for a formula (its first character "=",
// "+", "-", "@", tab or CR) gets a single quote before it and is quoted,
// so the spreadsheet shows the text and runs nothing.
#pragma once

#include "toolbox/scan_history.h"

#include <initializer_list>
#include <string>
#include <string_view>

// Bytes that are not valid UTF-8 are taken as Latin-1 and converted.
std::string CsvCell(std::string_view text);
std::string CsvRecord(std::initializer_list<std::string_view> cells);

// "time,symbology,text,delivery" and CR LF.
std::string HistoryCsvHeader();
// One read: its time (ISO 8601 with the offset), its symbology's name, its
// text and the word of its delivery.
std::string HistoryCsvRecord(const HistoryEntry& entry);

// The text as UTF-8: valid UTF-8 as it is, anything else taken as Latin-1.
std::string AsUtf8(std::string_view text);
