// Formats reads for standard output.
#include "cli/read_output.h"

#include "cli/shown_name.h"
#include "engine/symbology.h"
#include "symbologies/gs1_128.h"
#include "toolbox/csv_writer.h"
#include "toolbox/utf8.h"

#include <cstdio>

namespace {

void AppendEscape(std::string& out, unsigned code) {
    char escape[8];
    std::snprintf(escape, sizeof escape, "\\u%04x", code);
    out += escape;
}

// A GS1-128 read also carries its element string, ASCII 29 between elements.
std::string Gs1ElementsField(const ScanRead& read) {
    if (read.symbology != kSymbologyGS1_128) return {};
    const std::optional<std::string> elements = Gs1ElementString(read.text);
    return elements ? ",\"elements\":" + JsonString(*elements) : std::string();
}

} // namespace

std::string FormatReadLine(const ScanRead& read) {
    return GetSymbologyName(read.symbology).ToString() + ":" + read.text;
}

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20 || c == 0x7F) {
            AppendEscape(out, c);
        } else if (c < 0x80) {
            out += char(c);
        } else if (const std::size_t n = Utf8SequenceLength(text, i); n > 0) {
            out.append(text.substr(i, n));
            i += n - 1;
        } else {
            AppendEscape(out, c);
        }
    }
    return out + "\"";
}

std::string FormatReadJson(std::string_view file, const ScanRead& read) {
    return "{\"file\":" + JsonFileName(file) + ",\"frame\":" + std::to_string(read.frame) +
           ",\"symbology\":" + JsonString(FourCCToString(read.symbology)) +
           ",\"name\":" + JsonString(GetSymbologyName(read.symbology).View()) +
           ",\"text\":" + JsonString(read.text) + Gs1ElementsField(read) + "}";
}

std::string FormatReadCsv(const ScanRead& read) {
    return HistoryCsvRecord(HistoryEntryNow(read.symbology, GetSymbologyName(read.symbology).View(),
                                            read.text, HistoryDelivery::kShown));
}
