#include "script_flow.h"

#include <cstdlib>

namespace guidriver {

namespace {

bool positive(const std::string& word, long& value)
{
    char* end = nullptr;
    value = std::strtol(word.c_str(), &end, 10);
    return !word.empty() && *end == '\0' && value >= 1;
}

}  // namespace

bool ScriptFlow::next(ScriptLine& line, std::string& error)
{
    error.clear();
    while (index_ < texts_.size()) {
        const size_t at = index_++;
        if (!parseLine(texts_[at], static_cast<int>(at) + 1, line, error)) return false;
        if (line.words.empty()) continue;
        if (line.words[0] == "repeat") enter(line, error);
        else if (line.words[0] == "end-repeat") leave(error);
        else return true;
        if (!error.empty()) return false;
    }
    if (!blocks_.empty()) {
        line.number = static_cast<int>(blocks_.back().repeatLine) + 1;
        error = "repeat without end-repeat";
    }
    return false;
}

void ScriptFlow::enter(const ScriptLine& line, std::string& error)
{
    long passes = 0;
    const char* variable = line.words.size() > 2 ? std::getenv(line.words[2].c_str()) : nullptr;
    const std::string count = variable != nullptr ? std::string(variable) : line.words.size() > 1 ? line.words[1] : "";
    if (!positive(count, passes)) {
        error = "repeat needs a count of at least 1, not \"" + count + "\"";
        return;
    }
    blocks_.push_back(Block{index_ - 1, passes});
}

void ScriptFlow::leave(std::string& error)
{
    if (blocks_.empty()) {
        error = "end-repeat without repeat";
        return;
    }
    if (--blocks_.back().passesLeft > 0) index_ = blocks_.back().repeatLine + 1;
    else blocks_.pop_back();
}

}  // namespace guidriver
