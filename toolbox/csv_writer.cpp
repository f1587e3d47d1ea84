// The CSV writer of the history export and of kestrix-scan --csv.
#include "toolbox/csv_writer.h"

#include "toolbox/utf8.h"

namespace {

bool IsValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (static_cast<unsigned char>(text[i]) < 0x80) continue;
        const std::size_t n = Utf8SequenceLength(text, i);
        if (n == 0) return false;
        i += n - 1;
    }
    return true;
}

bool LooksLikeFormula(std::string_view text) {
    return !text.empty() && (text[0] == '=' || text[0] == '+' || text[0] == '-' || text[0] == '@' ||
                             text[0] == '\t' || text[0] == '\r');
}

bool NeedsQuotes(std::string_view text) {
    if (!text.empty() && text.front() == ' ') return true;
    for (char c : text)
        if (c == ',' || c == '"' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
    return false;
}

} // namespace

std::string AsUtf8(std::string_view text) {
    if (IsValidUtf8(text)) return std::string(text);
    std::string out;
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            out += c;
        } else {
            out += char(0xC0 | (b >> 6));
            out += char(0x80 | (b & 0x3F));
        }
    }
    return out;
}

std::string CsvCell(std::string_view raw) {
    std::string text = AsUtf8(raw);
    const bool formula = LooksLikeFormula(text);
    if (formula) text.insert(0, 1, '\'');
    if (!formula && !NeedsQuotes(text)) return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + '"';
}

std::string CsvRecord(std::initializer_list<std::string_view> cells) {
    std::string out;
    bool first = true;
    for (std::string_view cell : cells) {
        if (!first) out += ',';
        first = false;
        out += CsvCell(cell);
    }
    return out + "\r\n";
}

std::string HistoryCsvHeader() {
    return CsvRecord({"time", "symbology", "text", "delivery"});
}

std::string HistoryCsvRecord(const HistoryEntry& entry) {
    return CsvRecord({FormatHistoryTime(entry.timeMs, entry.utcOffset), entry.name, entry.text,
                      HistoryDeliveryWord(entry.delivery)});
}
