// One line of a GUI test script, split into words.
#pragma once

#include <string>
#include <vector>

namespace guidriver {

struct ScriptLine {
    int number = 0;
    std::string raw;                 // the line as written, ${NAME} expanded
    std::vector<std::string> words;  // blank-separated; "..." groups; inside, \n \" \\ are escapes and any other backslash is kept
    std::string restAfter(size_t wordCount) const;  // raw text after the first wordCount words
};

// Splits `text`. Blank lines and lines starting with # give no words.
// ${NAME} is replaced by the environment variable NAME after quoting and
// escapes are resolved, so Windows paths in variables keep their backslashes.
// False with a reason on an unterminated quote or an unset variable.
bool parseLine(const std::string& text, int number, ScriptLine& line, std::string& error);

}  // namespace guidriver
