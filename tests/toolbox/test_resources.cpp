// The string table and the resource folder.
#include "toolbox/resources.h"

#include <gtest/gtest.h>

TEST(Resources, StringTablesYieldTheirTextsAndMissingKeysYieldTheKey) {
    constexpr std::string_view table = "# comment\n"
                                       "NO_CAMERA = No camera\r\n"
                                       "  SPACED\t=  two\\nlines  \n"
                                       "no equals sign\n";
    EXPECT_EQ(LookUpString(table, "NO_CAMERA"), "No camera");
    EXPECT_EQ(LookUpString(table, "SPACED"), "two\nlines");
    EXPECT_EQ(LookUpString(table, "NOT_THERE"), "NOT_THERE");

    // The shipped table, next to the binary.
    EXPECT_NE(AppLocStr("NO_CAMERA"), "NO_CAMERA");
    EXPECT_EQ(AppLocStr("UNKNOWN_KEY"), "UNKNOWN_KEY");
}
