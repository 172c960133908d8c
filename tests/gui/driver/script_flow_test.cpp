#include "script_flow.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace guidriver {
namespace {

// The first words of the lines a script runs, then "error N: TEXT" if it
// stopped at line N.
std::string run(const std::vector<std::string>& texts)
{
    ScriptFlow flow(texts);
    ScriptLine line;
    std::string error;
    std::string ran;
    while (flow.next(line, error)) ran += line.words[0] + " ";
    if (!error.empty()) ran += "error " + std::to_string(line.number) + ": " + error;
    return ran;
}

TEST(ScriptFlow, RepeatBlocksRunTheirCountOrTheVariables)
{
    const std::vector<std::string> nested = {"a", "repeat 2", "b", "  repeat 3 QZ8_TEST_PASSES", "c",
                                             "# end of the inner block", "end-repeat", "end-repeat", "d"};
    struct Case {
        std::vector<std::string> texts;
        const char* passes;  // QZ8_TEST_PASSES, or null for unset
        std::string ran;
    };
    const Case cases[] = {
        {nested, nullptr, "a b c c c b c c c d "},
        {nested, "1", "a b c b c d "},
        {{"repeat 0", "a", "end-repeat"}, nullptr, "error 1: repeat needs a count of at least 1, not \"0\""},
        {{"repeat", "a", "end-repeat"}, nullptr, "error 1: repeat needs a count of at least 1, not \"\""},
        {{"repeat 2 QZ8_TEST_PASSES", "a", "end-repeat"},
         "x2",
         "error 1: repeat needs a count of at least 1, not \"x2\""},
        {{"a", "end-repeat", "b"}, nullptr, "a error 2: end-repeat without repeat"},
        {{"x", "repeat 2", "a"}, nullptr, "x a error 2: repeat without end-repeat"},
    };
    for (const Case& c : cases) {
        if (c.passes != nullptr) setenv("QZ8_TEST_PASSES", c.passes, 1);
        else unsetenv("QZ8_TEST_PASSES");
        EXPECT_EQ(run(c.texts), c.ran) << (c.passes != nullptr ? c.passes : "(unset)");
    }
    unsetenv("QZ8_TEST_PASSES");
}

}  // namespace
}  // namespace guidriver
