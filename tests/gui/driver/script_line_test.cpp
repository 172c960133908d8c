#include "script_line.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace guidriver {
namespace {

std::vector<std::string> wordsOf(const std::string& text)
{
    ScriptLine line;
    std::string error;
    EXPECT_TRUE(parseLine(text, 1, line, error)) << error;
    return line.words;
}

TEST(ScriptLine, WordsQuotesAndEscapes)
{
    using W = std::vector<std::string>;
    EXPECT_EQ(W{}, wordsOf("   # a comment"));
    EXPECT_EQ(W{}, wordsOf(""));
    EXPECT_EQ((W{"click", "1010"}), wordsOf("  click\t1010  \r"));
    EXPECT_EQ((W{"expect-text", "1003", ""}), wordsOf("expect-text 1003 \"\""));
    EXPECT_EQ((W{"wait-window", "VELK QZ8-II FSB Modifier (Version 1.2)"}),
              wordsOf("wait-window \"VELK QZ8-II FSB Modifier (Version 1.2)\""));
    EXPECT_EQ((W{"a", "x\ny", "say \"hi\"", "back\\slash"}), wordsOf(R"(a "x\ny" "say \"hi\"" "back\\slash")"));
    EXPECT_EQ((W{"p", "C:\\My Files\\a"}), wordsOf(R"(p "C:\My Files\a")"));
}

// Variables are expanded after escapes, so a Windows path in one keeps "\n".
TEST(ScriptLine, VariablesKeepTheirBackslashes)
{
    setenv("QZ8_TEST_DIR", "Z:\\new\\tmp", 1);
    EXPECT_EQ((std::vector<std::string>{"f", "Z:\\new\\tmp\\a.qz8"}), wordsOf("f \"${QZ8_TEST_DIR}\\a.qz8\""));

    ScriptLine line;
    std::string error;
    ASSERT_TRUE(parseLine("start ${QZ8_TEST_DIR}\\x.exe -file=\"${QZ8_TEST_DIR}\\My Files\"  ", 3, line, error));
    EXPECT_EQ("-file=\"Z:\\new\\tmp\\My Files\"", line.restAfter(2));
    EXPECT_EQ("", line.restAfter(9));
}

TEST(ScriptLine, RefusedLines)
{
    ScriptLine line;
    std::string error;
    EXPECT_FALSE(parseLine("click \"1010", 1, line, error));
    EXPECT_EQ("unterminated quotation mark", error);
    unsetenv("QZ8_TEST_UNSET");
    EXPECT_FALSE(parseLine("start ${QZ8_TEST_UNSET}", 1, line, error));
    EXPECT_EQ("variable QZ8_TEST_UNSET is not set", error);
    EXPECT_FALSE(parseLine("start ${QZ8_TEST_UNSET", 1, line, error));
}

}  // namespace
}  // namespace guidriver
