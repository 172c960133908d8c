// The order a script's lines run in: one after the other, and the lines
// between "repeat COUNT [VARIABLE]" and "end-repeat" COUNT times over, or as
// many times as VARIABLE says when it is set (a slower machine runs a
// shorter soak from the same script). Blocks nest.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "script_line.h"

namespace guidriver {

class ScriptFlow {
public:
    explicit ScriptFlow(std::vector<std::string> texts) : texts_(std::move(texts)) {}

    // The next line to run, with words; false at the end of the script, or
    // at a line that cannot run: `error` then says why ("" at the end) and
    // `line` is that line.
    bool next(ScriptLine& line, std::string& error);

private:
    struct Block {
        size_t repeatLine;  // index of its repeat line
        long passesLeft;
    };
    void enter(const ScriptLine& line, std::string& error);
    void leave(std::string& error);

    std::vector<std::string> texts_;
    size_t index_ = 0;  // of the next line
    std::vector<Block> blocks_;
};

}  // namespace guidriver
