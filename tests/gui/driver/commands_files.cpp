#include "commands.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "command_support.h"

namespace guidriver {

namespace {

bool hexBytes(const std::string& text, std::string& bytes)
{
    std::string digits;
    for (char c : text)
        if (c != ' ') digits += c;
    if (digits.size() % 2 != 0) return false;
    bytes.clear();
    for (size_t i = 0; i < digits.size(); i += 2) {
        char* end = nullptr;
        const std::string pair = digits.substr(i, 2);
        const long value = std::strtol(pair.c_str(), &end, 16);
        if (*end != '\0') return false;
        bytes += static_cast<char>(value);
    }
    return true;
}

std::string hexOf(const std::string& bytes)
{
    std::string out;
    char pair[4];
    for (unsigned char c : bytes) {
        std::snprintf(pair, sizeof pair, "%s%02X", out.empty() ? "" : " ", c);
        out += pair;
    }
    return out;
}

bool readFile(const std::string& path, std::string& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

// expect-file-has PATH TEXT / expect-file-lacks PATH TEXT
bool fileHas(const ScriptLine& line, bool wanted, std::string& failure)
{
    std::string content;
    if (!readFile(line.words[1], content)) {
        failure = "no file " + line.words[1];
        return false;
    }
    if ((content.find(line.words[2]) != std::string::npos) == wanted) return true;
    failure = line.words[1] + (wanted ? " lacks " : " holds ") + quote(line.words[2]) + "; it reads:\n" + content;
    return false;
}

}  // namespace

bool cmdWriteFile(Session&, const ScriptLine& line, std::string& failure)
{
    std::string bytes;
    if (!hexBytes(line.restAfter(2), bytes)) {
        failure = "bad hex bytes";
        return false;
    }
    std::ofstream out(line.words[1], std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (out) return true;
    failure = "cannot write " + line.words[1];
    return false;
}

bool cmdExpectFile(Session&, const ScriptLine& line, std::string& failure)
{
    std::string wanted;
    std::string actual;
    if (!hexBytes(line.restAfter(2), wanted)) {
        failure = "bad hex bytes";
        return false;
    }
    if (!readFile(line.words[1], actual)) {
        failure = "no file " + line.words[1];
        return false;
    }
    return expectEqual("bytes of " + line.words[1], hexOf(wanted), hexOf(actual), failure);
}

bool cmdWriteText(Session&, const ScriptLine& line, std::string& failure)
{
    std::ofstream out(line.words[1], std::ios::binary | std::ios::trunc);
    out << line.restAfter(2) << "\n";
    if (out.flush()) return true;
    failure = "cannot write " + line.words[1];
    return false;
}

bool cmdExpectSameFile(Session&, const ScriptLine& line, std::string& failure)
{
    std::string first;
    std::string second;
    if (!readFile(line.words[1], first) || !readFile(line.words[2], second)) {
        failure = "no file " + line.words[1] + " or " + line.words[2];
        return false;
    }
    return expectEqual(line.words[2] + " against " + line.words[1], first, second, failure);
}

bool cmdExpectNoFile(Session&, const ScriptLine& line, std::string& failure)
{
    if (GetFileAttributesA(line.words[1].c_str()) == INVALID_FILE_ATTRIBUTES) return true;
    failure = "file " + line.words[1] + " exists";
    return false;
}

bool cmdFileHas(Session&, const ScriptLine& line, std::string& failure) { return fileHas(line, true, failure); }
bool cmdFileLacks(Session&, const ScriptLine& line, std::string& failure) { return fileHas(line, false, failure); }

bool cmdCopyFile(Session&, const ScriptLine& line, std::string& failure)
{
    if (CopyFileA(line.words[1].c_str(), line.words[2].c_str(), FALSE)) return true;
    failure = "cannot copy " + line.words[1] + " to " + line.words[2];
    return false;
}

bool cmdMakeFolder(Session&, const ScriptLine& line, std::string& failure)
{
    if (CreateDirectoryA(line.words[1].c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) return true;
    failure = "cannot create folder " + line.words[1];
    return false;
}

bool cmdDeleteFile(Session&, const ScriptLine& line, std::string&)
{
    DeleteFileA(line.words[1].c_str());
    return true;
}

}  // namespace guidriver
