// Case lists of the narrow/wide symbologies and Code 128. Expected texts
// follow from the standards: Code 128's from the symbol values that libzint
// chose (each code set's character table), the others from the data.
#include "symbol_cases.h"

#include "expected_text.h"

#include "engine/symbology.h"
#include "tests/support/random.h"
#include "tests/support/zint_bars.h"

namespace {

constexpr double kRatios[] = {2.5, 3.0};

struct Code128Data {
    const char* label;
    const char* data;
};

// The comments name the code sets libzint chooses for the data.
constexpr Code128Data code128Data[] = {
    {"set A", "\x01\x02\x03"
              "ABC"},                             // Start A
    {"set A with controls", "KESTRIX\tSCAN\x01"}, // Start A
    {"set B", "scanner 1.0"},                     // Start B
    {"set C", "1234567890"},                      // Start C
    {"set C long", "0123456789012345"},           // Start C
    {"B to C to B", "AB12345678cd"},              // Start B, Code C, Code B
    {"C to B to A", "12345678ab\x02\x03"
                    "XY"},                     // Start C, Code B, Code A
    {"B to A", "abc\x01\x02\x03\x04"},         // Start B, Code A
    {"B with shift", "a\tb"},                  // Start B, Shift
    {"B to C to A with shift", "X1234Y\x05z"}, // Start B, Code C, Code A, Shift
    {"DEL in set B", "hello\x7f"},             // Start B, DEL
};

constexpr const char* kCode39Table = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%";
constexpr int kCode39PerSymbol = 5;

constexpr const char* kCodabarData = "0123456789-$:/.+";
constexpr const char* kCodabarLetters = "ABCD";

} // namespace

std::vector<SymbolCase> Code128Cases() {
    std::vector<SymbolCase> cases;
    for (const Code128Data& d : code128Data) {
        BarPattern pattern = EncodeBars(BARCODE_CODE128, d.data);
        auto values = Code128Values(RunWidths(pattern));
        std::string expected = values && Code128CheckOk(*values) ? Code128Text(*values) : "?";
        cases.push_back({d.label, BARCODE_CODE128, d.data, expected, kSymbologyCode128, 0});
    }
    return cases;
}

std::vector<SymbolCase> Code39Cases() {
    std::vector<SymbolCase> cases;
    std::string table = kCode39Table;
    for (double ratio : kRatios) {
        for (std::size_t i = 0; i < table.size(); i += kCode39PerSymbol) {
            std::string data = table.substr(i, kCode39PerSymbol);
            cases.push_back({"characters " + data, BARCODE_CODE39, data, Code39Text(data),
                             kSymbologyCode39, ratio});
        }
        cases.push_back({"one character", BARCODE_CODE39, "K", "K", kSymbologyCode39, ratio});
    }
    return cases;
}

std::vector<SymbolCase> CodabarCases() {
    std::vector<SymbolCase> cases;
    TestRandom random(39);
    std::string chars = kCodabarData;
    for (double ratio : kRatios) {
        for (int start = 0; start < 4; ++start) {
            for (int stop = 0; stop < 4; ++stop) {
                std::string data(1, kCodabarLetters[start]);
                int length = random.Int(1, 8);
                for (int k = 0; k < length; ++k)
                    data += chars[std::size_t(random.Int(0, int(chars.size()) - 1))];
                data += kCodabarLetters[stop];
                cases.push_back(
                    {"start " + data.substr(0, 1) + " stop " + data.substr(data.size() - 1),
                     BARCODE_CODABAR, data, data, kSymbologyCodabar, ratio});
            }
        }
    }
    return cases;
}

std::vector<SymbolCase> Int2of5Cases() {
    std::vector<SymbolCase> cases;
    TestRandom random(25);
    for (double ratio : kRatios) {
        for (int digits = 2; digits <= 20; ++digits) {
            if (digits % 2 == 1 && digits % 4 != 3) continue; // odd counts: 3, 7, 11, 15, 19
            std::string data;
            for (int k = 0; k < digits; ++k) data += char('0' + random.Int(0, 9));
            std::string expected =
                (digits % 2 == 1 ? "0" : "") + data; // odd counts get a leading 0
            cases.push_back({std::to_string(digits) + " digits", BARCODE_C25INTER, data, expected,
                             kSymbologyInt2of5, ratio});
        }
    }
    return cases;
}
