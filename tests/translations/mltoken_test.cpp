#include "translations/mltoken.h"

#include <gtest/gtest.h>

#include <string>

namespace kelvo {
namespace {

TEST(Mltoken, QuotedAndPlainTokensEndWhereTheFileFormatSays) {
    const struct {
        std::string Line;
        int Result;
    } cases[] = {
        {" \t ", MlNoToken},
        {"  ; comment", MlNoToken},
        {"* comment", MlNoToken},
        {"\t T  ", 1},
        {"abc;def", 7},         // only a blank ends a plain token
        {"\"say \"hi\"\"", 10}, // a quoted token runs to the last quote
        {"\"a\" ; \"b\"", 9},   // even one inside a comment
        {"\"a\" * c", 3},
        {"\"", MlBadLine},
        {"\"a\"b", MlJunkAfterToken},
    };
    for (const auto& c : cases) {
        const char* token = nullptr;
        EXPECT_EQ(ScanMltoken(c.Line.data(), static_cast<int>(c.Line.size()), token), c.Result)
            << c.Line;
    }
}

TEST(Mltoken, NeverLooksPastTheLineLength) {
    // The bytes after the given length hold a closing quote and junk.
    const char text[] = "\"abc\"xyz";
    const char* token = nullptr;
    EXPECT_EQ(ScanMltoken(text, 4, token), MlBadLine);
    EXPECT_EQ(ScanMltoken(text, 5, token), 5);
    EXPECT_EQ(token, text);
    EXPECT_EQ(ScanMltoken("  T junk", 3, token), 1);
    EXPECT_EQ(*token, 'T');
}

} // namespace
} // namespace kelvo
