#include "script_line.h"

#include <cstdlib>

namespace guidriver {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool expand(const std::string& in, std::string& out, std::string& error)
{
    out.clear();
    for (size_t i = 0; i < in.size(); ++i) {
        if (in.compare(i, 2, "${") != 0) {
            out += in[i];
            continue;
        }
        const size_t close = in.find('}', i + 2);
        if (close == std::string::npos) {
            error = "unterminated ${";
            return false;
        }
        const std::string name = in.substr(i + 2, close - i - 2);
        const char* value = std::getenv(name.c_str());
        if (value == nullptr) {
            error = "variable " + name + " is not set";
            return false;
        }
        out += value;
        i = close;
    }
    return true;
}

// Where the word starting at `i` ends (one past its last character).
size_t wordEnd(const std::string& text, size_t i)
{
    bool quoted = false;
    for (; i < text.size(); ++i) {
        if (quoted && text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '"') ++i;
        else if (text[i] == '"') quoted = !quoted;
        else if (!quoted && isBlank(text[i])) break;
    }
    return i;
}

}  // namespace

std::string ScriptLine::restAfter(size_t wordCount) const
{
    size_t i = 0;
    for (size_t w = 0; w < wordCount; ++w) {
        while (i < raw.size() && isBlank(raw[i])) ++i;
        i = wordEnd(raw, i);
    }
    while (i < raw.size() && isBlank(raw[i])) ++i;
    size_t end = raw.size();
    while (end > i && isBlank(raw[end - 1])) --end;
    return raw.substr(i, end - i);
}

bool parseLine(const std::string& text, int number, ScriptLine& line, std::string& error)
{
    line = ScriptLine{};
    line.number = number;
    if (!expand(text, line.raw, error)) return false;
    size_t i = 0;
    while (i < text.size() && isBlank(text[i])) ++i;
    if (i == text.size() || text[i] == '#') return true;

    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (quoted && c == '\\' && (next == 'n' || next == '"' || next == '\\')) {
            word += next == 'n' ? '\n' : next;
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if (!quoted && isBlank(c)) {
            if (inWord) line.words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quoted) {
        error = "unterminated quotation mark";
        return false;
    }
    if (inWord) line.words.push_back(word);
    for (std::string& w : line.words) {
        std::string expanded;
        if (!expand(w, expanded, error)) return false;
        w = expanded;
    }
    return true;
}

}  // namespace guidriver
