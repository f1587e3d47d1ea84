// The scan history's Qt-free parts.
#include "tests/support/python_csv.h"
#include "tests/support/temp_config_home.h"
#include "toolbox/csv_writer.h"
#include "toolbox/files.h"
#include "toolbox/preferences.h"
#include "toolbox/scan_history.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::uint8_t> Bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

HistoryEntry Entry(std::string text, HistoryDelivery delivery = HistoryDelivery::kTyped) {
    return {1765202769123, 3600, "c128"_4cc, "Code 128", std::move(text), delivery};
}

} // namespace

TEST(HistoryCsv, TrickyTextsReadBackAsShownAndNoCellIsAFormula) {
    struct {
        std::string text;
        const char* readBack = nullptr; // the cell a CSV reader gives, when not the text
    } const cases[] = {
        {"4006381333931"},
        {""},
        {"A,B"},
        {"say \"hi\""},
        {"two\r\nlines"},
        {" leading space"},
        {"\0350104006381333931"}, // after a group separator (GS, octal 035)
        {"=1+2", "'=1+2"},
        {"+49 30 1234", "'+49 30 1234"},
        {"-12", "'-12"},
        {"@SUM(A1:A9)", "'@SUM(A1:A9)"},
        {"\tTAB", "'\tTAB"},
        {"\rCR", "'\rCR"},
        {"a=b-c"},
        {"caf\xe9", "caf\xc3\xa9"}, // Latin-1 bytes become UTF-8
        {"\xc3\xa9t\xc3\xa9"},      // UTF-8 stays
    };
    TempConfigHome folder;
    const std::filesystem::path file = folder.path / "reads.csv";
    std::string csv = HistoryCsvHeader();
    for (const auto& c : cases) csv += HistoryCsvRecord(Entry(c.text));
    ASSERT_EQ(WriteFileAtomically(file, Bytes(csv), 0600), noErr);

    const auto records = ReadCsvWithPython(file);
    ASSERT_EQ(records.size(), std::size(cases) + 1) << csv;
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const std::vector<std::string> expected = {
            "2025-12-08T15:06:09+01:00", "Code 128",
            cases[i].readBack ? cases[i].readBack : cases[i].text, "typed"};
        EXPECT_EQ(records[i + 1], expected) << i << ": " << cases[i].text;
    }
    // The time column: before 1970 a time keeps its second, and west of
    // Greenwich the offset is negative.
    EXPECT_EQ(FormatHistoryTime(-1, -16200), "1969-12-31T19:29:59-04:30");
}

TEST(HistoryFile, RoundTripKeepsTheNewestThousandAndDamagedFilesAreKeptAside) {
    TempConfigHome config;
    const std::filesystem::path path = HistoryFilePath(kApplicationIdentifier);
    EXPECT_EQ(LoadHistoryFile(path).entries.size(), 0u); // no file yet: empty, nothing said
    EXPECT_EQ(LoadHistoryFile(path).state, HistoryFileState::kLoaded);

    std::vector<HistoryEntry> entries;
    for (int i = 0; i < 1003; ++i) entries.push_back(Entry("read " + std::to_string(i)));
    entries.back() = {-1, -16200, "ean1"_4cc, "EAN-13", "", HistoryDelivery::kRepeat};
    entries[1001] = Entry("\03501,\"=\r\n\xe9", HistoryDelivery::kScript);
    entries[1000] = Entry(std::string(300, 'x'), HistoryDelivery::kClipboard);
    const std::vector<std::uint8_t> bytes = SerializeHistory(entries);
    ASSERT_EQ(SaveHistoryFile(path, bytes), noErr);
    HistoryLoad load = LoadHistoryFile(path);
    EXPECT_EQ(load.state, HistoryFileState::kLoaded);
    EXPECT_EQ(load.entries, std::vector<HistoryEntry>(entries.begin() + 3, entries.end()));

    // Whatever is not an intact file is kept aside byte for byte.
    std::vector<std::uint8_t> flipped = bytes, longCount = bytes;
    flipped[40] ^= 0x01;
    longCount[11] += 1;
    const std::vector<std::uint8_t> damaged[] = {
        {bytes.begin(), bytes.end() - 1}, flipped, longCount,
        Bytes("not a history"),           {},      Bytes("KHst"),
    };
    for (const std::vector<std::uint8_t>& file : damaged) {
        ASSERT_EQ(SaveHistoryFile(path, file), noErr);
        load = LoadHistoryFile(path);
        EXPECT_EQ(load.state, HistoryFileState::kKeptAside) << file.size();
        EXPECT_TRUE(load.entries.empty());
        EXPECT_FALSE(std::filesystem::exists(path));
        EXPECT_EQ(ReadText(path.string() + ".damaged"), std::string(file.begin(), file.end()));
    }
}

TEST(HistoryRepeats, TheSameCodeWithinTheWindowIsARepeat) {
    RepeatFilter filter;
    filter.Take("A", 1000, 2000);
    filter.Take("B", 2500, 2000);
    struct {
        const char* text;
        std::int64_t now, window;
        bool repeat;
    } const cases[] = {
        {"A", 2999, 2000, true},  {"A", 3000, 2000, false}, {"B", 4000, 2000, true},
        {"C", 1001, 2000, false}, {"A", 1500, 0, false},    {"A", 60'000, 60'000, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(filter.IsRepeat(c.text, c.now, c.window), c.repeat) << c.text << " " << c.now;
    filter.Take("C", 10'000, 2000); // what lies beyond the window is forgotten
    EXPECT_EQ(filter.taken.size(), 1u);
}
