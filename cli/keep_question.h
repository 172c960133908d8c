// Keep or revert: after new clocks, the user must say within a time that
// they stay. Over ssh, clocks that break the network card also break the
// answer, and the board goes back to its previous clocks by itself.
#pragma once

#include <cstdint>
#include <cstdio>

class HeldSignals;

// Where the question is asked and answered: the controlling terminal when
// the program has one, else standard input with the question on the
// message stream.
struct QuestionPlace {
    int input;
    int output;        // the terminal's descriptor, or -1: `messages` instead
    std::FILE* messages;
    bool terminal;     // input is a terminal: what was typed before is dropped
};

enum class KeepAnswer : uint8_t {
    Yes,
    Declined,     // a line that is not "y" or "yes"
    NoAnswer,     // no whole line in time
    NoInput,      // the end of the input, a terminal hung up, a read error
    Interrupted,  // one of the held signals arrived
};

struct KeepReply {
    KeepAnswer answer;
    int signal;  // Interrupted: its number
};

// Asks `question` and waits up to `seconds` for a line. Only "y" or "yes"
// (any case, blanks and a carriage return around it) keeps the clocks.
KeepReply askToKeep(const QuestionPlace& place, uint32_t seconds, HeldSignals& signals, const char* question);

// The controlling terminal at `path` (normally /dev/tty) opened for the
// question, or standard input and `messages` when there is none (`path`
// null, or no terminal to open). closeQuestionPlace ends it.
QuestionPlace openQuestionPlace(const char* path, int standardInput, std::FILE* messages);
void closeQuestionPlace(const QuestionPlace& place);
