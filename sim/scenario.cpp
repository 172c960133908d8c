#include "sim/scenario.h"

// Written without the C library: the board model also runs inside a driver.
namespace sim {

namespace {

const ScenarioName kBoards[] = {
    {"stock", static_cast<uint8_t>(BoardKind::Stock)},
    {"raid", static_cast<uint8_t>(BoardKind::Raid)},
    {"mech2", static_cast<uint8_t>(BoardKind::Mech2)},
    {"empty", static_cast<uint8_t>(BoardKind::Empty)},
    {"crowded", static_cast<uint8_t>(BoardKind::Crowded)},
    {"ich", static_cast<uint8_t>(BoardKind::Ich)},
    {"ich0", static_cast<uint8_t>(BoardKind::Ich0)},
    {"ich4", static_cast<uint8_t>(BoardKind::Ich4)},
    {"piix4", static_cast<uint8_t>(BoardKind::Piix4)},
    {"via686", static_cast<uint8_t>(BoardKind::Via686)},
    {"via686alt", static_cast<uint8_t>(BoardKind::Via686Alt)},
    {"via686off", static_cast<uint8_t>(BoardKind::Via686Off)},
    {"vt8233", static_cast<uint8_t>(BoardKind::Vt8233)},
    {"vt8235off", static_cast<uint8_t>(BoardKind::Vt8235Off)},
    {"amd766", static_cast<uint8_t>(BoardKind::Amd766)},
    {"amd768", static_cast<uint8_t>(BoardKind::Amd768)},
    {"i440mx", static_cast<uint8_t>(BoardKind::I440mx)},
    {"sis", static_cast<uint8_t>(BoardKind::Sis)},
    {"norule1st", static_cast<uint8_t>(BoardKind::NoRuleFirst)},
    {"twosb", static_cast<uint8_t>(BoardKind::TwoBridges)},
    {"nosmbus", static_cast<uint8_t>(BoardKind::NoSmbus)},
    {"i845", static_cast<uint8_t>(BoardKind::I845)},
    {"cf8alias", static_cast<uint8_t>(BoardKind::AliasedBytes)},
    {"lowbase", static_cast<uint8_t>(BoardKind::LowBase)},
    {"cfgbase", static_cast<uint8_t>(BoardKind::ConfigBase)},
    {"amdwrap", static_cast<uint8_t>(BoardKind::AmdWrap)},
};

const ScenarioName kCpus[] = {
    {"northwood", static_cast<uint8_t>(CpuKind::Northwood)},
    {"willamette", static_cast<uint8_t>(CpuKind::Willamette)},
    {"celeron", static_cast<uint8_t>(CpuKind::Celeron)},
    {"xeon", static_cast<uint8_t>(CpuKind::Xeon)},
    {"p4m", static_cast<uint8_t>(CpuKind::MobileP4)},
    {"extfamily", static_cast<uint8_t>(CpuKind::ExtendedFamily)},
    {"family6", static_cast<uint8_t>(CpuKind::Family6)},
    {"amd", static_cast<uint8_t>(CpuKind::Amd)},
    {"nobrand", static_cast<uint8_t>(CpuKind::NoBrand)},
};

const ScenarioName kFaults[] = {
    {"none", static_cast<uint8_t>(FaultKind::None)},
    {"portfail", static_cast<uint8_t>(FaultKind::PortReadsFail)},
    {"stuckbusy", static_cast<uint8_t>(FaultKind::StuckBusy)},
    {"nobytedone", static_cast<uint8_t>(FaultKind::NoByteDone)},
    {"nodevice", static_cast<uint8_t>(FaultKind::NoDevice)},
    {"strictend", static_cast<uint8_t>(FaultKind::StrictBlockEnd)},
    {"emptyblock", static_cast<uint8_t>(FaultKind::EmptyBlock)},
    {"shortblock", static_cast<uint8_t>(FaultKind::ShortBlock)},
    {"failintr", static_cast<uint8_t>(FaultKind::FailedIntr)},
    {"droplowbits", static_cast<uint8_t>(FaultKind::DropLowBits)},
};

template <uint32_t N>
constexpr uint32_t countOf(const ScenarioName (&)[N])
{
    return N;
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

// A token is [begin, end); compares it with a NUL-terminated name.
bool tokenIs(const char* begin, const char* end, const char* name)
{
    while (begin != end && *name != '\0' && *begin == *name) {
        ++begin;
        ++name;
    }
    return begin == end && *name == '\0';
}

class Message {
public:
    Message(char* buffer, uint32_t size) : buffer_(buffer), size_(size) { put(""); }
    Message& put(const char* text) { return put(text, nullptr); }
    Message& put(const char* begin, const char* end)
    {
        while (size_ != 0 && used_ + 1 < size_ && *begin != '\0' && begin != end) buffer_[used_++] = *begin++;
        if (size_ != 0) buffer_[used_] = '\0';
        return *this;
    }

private:
    char* buffer_;
    uint32_t size_;
    uint32_t used_ = 0;
};

bool lookUp(const ScenarioName* names, uint32_t count, const char* begin, const char* end, uint8_t& value)
{
    for (uint32_t i = 0; i < count; ++i) {
        if (tokenIs(begin, end, names[i].name)) {
            value = names[i].value;
            return true;
        }
    }
    return false;
}

const char* nameOf(const ScenarioName* names, uint32_t count, uint8_t value)
{
    for (uint32_t i = 0; i < count; ++i)
        if (names[i].value == value) return names[i].name;
    return "?";
}

// "133", "133.0" or "133.5": whole and half MHz from 2.0 to 257.0.
bool parseFsb(const char* begin, const char* end, uint16_t& halfMhz)
{
    uint32_t whole = 0;
    const char* p = begin;
    while (p != end && *p >= '0' && *p <= '9' && whole < 1000) whole = whole * 10 + static_cast<uint32_t>(*p++ - '0');
    if (p == begin) return false;
    uint32_t half = whole * 2;
    if (p != end) {
        if (*p++ != '.' || p == end) return false;
        if (*p == '5') ++half;
        else if (*p != '0') return false;
        if (++p != end) return false;
    }
    if (half < 4 || half > 514) return false;
    halfMhz = static_cast<uint16_t>(half);
    return true;
}

bool parseRatio(const char* begin, const char* end, int32_t& ratio)
{
    if (tokenIs(begin, end, "-1")) {
        ratio = -1;
        return true;
    }
    if (end - begin == 1 && *begin >= '2' && *begin <= '8') {
        ratio = *begin - '0';
        return true;
    }
    return false;
}

// Decimal digits only, at most `max`.
bool parseNumber(const char* begin, const char* end, uint32_t max, uint32_t& number)
{
    if (begin == end) return false;
    uint64_t n = 0;
    for (const char* p = begin; p != end; ++p) {
        if (*p < '0' || *p > '9') return false;
        n = n * 10 + static_cast<uint64_t>(*p - '0');
        if (n > max) return false;
    }
    number = static_cast<uint32_t>(n);
    return true;
}

// A clock chip register: 0 to 31.
// "8" or "8,12": up to four transaction numbers from 1, comma-separated.
bool parseTransactionList(const char* begin, const char* end, uint32_t (&numbers)[Scenario::kFailedTransactions])
{
    uint32_t count = 0;
    for (const char* p = begin;;) {
        const char* comma = p;
        while (comma != end && *comma != ',') ++comma;
        if (count == Scenario::kFailedTransactions) return false;
        if (!parseNumber(p, comma, 0x7FFFFFFF, numbers[count]) || numbers[count] == 0) return false;
        ++count;
        if (comma == end) return true;
        p = comma + 1;
    }
}

bool parseRegister(const char* begin, const char* end, int32_t& index)
{
    uint32_t n = 0;
    if (!parseNumber(begin, end, 31, n)) return false;
    index = static_cast<int32_t>(n);
    return true;
}

// Milliseconds with up to three decimals ("1", "10", "15.625"), from 1 to
// 100, in microseconds.
bool parseTick(const char* begin, const char* end, uint32_t& microseconds)
{
    const char* dot = begin;
    while (dot != end && *dot != '.') ++dot;
    uint32_t whole = 0;
    if (!parseNumber(begin, dot, 100, whole)) return false;
    uint32_t fraction = 0;
    if (dot != end) {
        const char* digits = dot + 1;
        if (end - digits > 3 || !parseNumber(digits, end, 999, fraction)) return false;
        for (auto n = end - digits; n < 3; ++n) fraction *= 10;
    }
    microseconds = whole * 1000 + fraction;
    return microseconds >= 1000 && microseconds <= 100000;
}

bool parseItem(const char* key, const char* keyEnd, const char* value, const char* end, Scenario& s)
{
    uint8_t picked = 0;
    if (tokenIs(key, keyEnd, "board")) {
        if (!lookUp(kBoards, countOf(kBoards), value, end, picked)) return false;
        s.board = static_cast<BoardKind>(picked);
    } else if (tokenIs(key, keyEnd, "cpu")) {
        if (!lookUp(kCpus, countOf(kCpus), value, end, picked)) return false;
        s.cpu = static_cast<CpuKind>(picked);
    } else if (tokenIs(key, keyEnd, "fault")) {
        if (!lookUp(kFaults, countOf(kFaults), value, end, picked)) return false;
        s.fault = static_cast<FaultKind>(picked);
    } else if (tokenIs(key, keyEnd, "fsb")) {
        return parseFsb(value, end, s.fsbHalfMhz);
    } else if (tokenIs(key, keyEnd, "ratio")) {
        return parseRatio(value, end, s.ratioCode);
    } else if (tokenIs(key, keyEnd, "failfrom")) {
        return parseNumber(value, end, 0x7FFFFFFF, s.failFrom) && s.failFrom != 0;
    } else if (tokenIs(key, keyEnd, "failtx")) {
        return parseTransactionList(value, end, s.failTransactions);
    } else if (tokenIs(key, keyEnd, "tick")) {
        return parseTick(value, end, s.tickUs);
    } else if (tokenIs(key, keyEnd, "nakreg")) {
        return parseRegister(value, end, s.nakRegister);
    } else if (tokenIs(key, keyEnd, "stuckreg")) {
        return parseRegister(value, end, s.stuckRegister);
    } else if (tokenIs(key, keyEnd, "pace")) {
        s.realPace = tokenIs(value, end, "real");
        return s.realPace || tokenIs(value, end, "virtual");
    } else if (tokenIs(key, keyEnd, "trace")) {
        const uint32_t length = static_cast<uint32_t>(end - value);
        if (length == 0 || length >= sizeof s.tracePath) return false;
        for (uint32_t i = 0; i < length; ++i) s.tracePath[i] = value[i];
        s.tracePath[length] = '\0';
    }
    return true;
}

bool isKnownKey(const char* key, const char* keyEnd)
{
    const char* keys[] = {"board",    "cpu",      "fault", "fsb",  "ratio", "failfrom",
                          "failtx",   "nakreg",   "stuckreg", "tick", "pace",  "trace"};
    for (const char* k : keys)
        if (tokenIs(key, keyEnd, k)) return true;
    return false;
}

}  // namespace

bool parseScenario(const char* text, Scenario& scenario, char* error, uint32_t errorSize)
{
    Message message(error, errorSize);
    scenario = Scenario{};
    if (text == nullptr) return true;
    const char* p = text;
    while (*p != '\0') {
        while (isBlank(*p)) ++p;
        if (*p == '\0') break;
        const char* item = p;
        while (*p != '\0' && !isBlank(*p)) ++p;
        const char* equals = item;
        while (equals != p && *equals != '=') ++equals;
        if (equals == p) {
            message.put("QZ8_SIM: '").put(item, p).put("' is not a key=value item");
            return false;
        }
        if (!isKnownKey(item, equals)) {
            message.put("QZ8_SIM: unknown key '").put(item, equals).put("'");
            return false;
        }
        if (!parseItem(item, equals, equals + 1, p, scenario)) {
            message.put("QZ8_SIM: refused value '").put(equals + 1, p).put("' for key '").put(item, equals).put("'");
            return false;
        }
    }
    return true;
}

const char* boardName(BoardKind kind) { return nameOf(kBoards, countOf(kBoards), static_cast<uint8_t>(kind)); }
const char* cpuName(CpuKind kind) { return nameOf(kCpus, countOf(kCpus), static_cast<uint8_t>(kind)); }
const char* faultName(FaultKind kind) { return nameOf(kFaults, countOf(kFaults), static_cast<uint8_t>(kind)); }

}  // namespace sim
