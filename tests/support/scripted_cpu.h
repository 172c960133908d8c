// A processor and a timer that answer from a script, for asserting exact
// identification results and exact arithmetic.
#pragma once

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"

class ScriptedProcessor final : public Processor {
public:
    CpuidRegs cpuid(uint32_t leaf) override
    {
        ++cpuidCount;
        if (events != nullptr && cpuidCount == 1) events->push_back("cpuid");
        const auto found = leaves.find(leaf);
        return found == leaves.end() ? CpuidRegs{0, 0, 0, 0} : found->second;
    }
    uint64_t readTsc() override
    {
        if (events != nullptr) events->push_back("tsc");
        return tscReadings.at(tscIndex++);
    }

    // Leaf 0 with the given vendor and leaf 1 with the given signature and EBX.
    void identity(const char* vendor, uint32_t signature, uint32_t leaf1Ebx = 0)
    {
        uint32_t v[3];
        std::memcpy(v, vendor, 12);
        leaves[0] = CpuidRegs{2, v[0], v[2], v[1]};
        leaves[1] = CpuidRegs{signature, leaf1Ebx, 0, 0};
    }
    // The 48 bytes of leaves 0x80000002..4, zero padded.
    void brand(const char* text)
    {
        char bytes[48] = {};
        std::memcpy(bytes, text, std::strlen(text) < 48 ? std::strlen(text) : 48);
        leaves[0x80000000] = CpuidRegs{0x80000004, 0, 0, 0};
        for (uint32_t i = 0; i < 3; ++i) {
            uint32_t r[4];
            std::memcpy(r, bytes + 16 * i, 16);
            leaves[0x80000002 + i] = CpuidRegs{r[0], r[1], r[2], r[3]};
        }
    }

    std::map<uint32_t, CpuidRegs> leaves;
    std::vector<uint64_t> tscReadings;
    size_t tscIndex = 0;
    uint32_t cpuidCount = 0;
    std::vector<std::string>* events = nullptr;
};

class ScriptedTiming final : public Timing {
public:
    int64_t perfFrequency() override
    {
        events.push_back("frequency");
        return frequency;
    }
    int64_t perfCounter() override
    {
        events.push_back("counter");
        return counterReadings.at(counterIndex++);
    }
    SavedPriority raisePriority() override
    {
        events.push_back("raise");
        return SavedPriority{0x8000, -1};  // above normal class, below normal thread
    }
    void restorePriority(const SavedPriority& saved) override
    {
        events.push_back("restore");
        restored.push_back(saved);
    }
    void sleepMs(uint32_t) override { events.push_back("sleep"); }
    void beginPreciseSleeps() override { events.push_back("precise"); }
    void endPreciseSleeps() override { events.push_back("coarse"); }

    int64_t frequency = 0;
    std::vector<int64_t> counterReadings;
    size_t counterIndex = 0;
    std::vector<SavedPriority> restored;
    std::vector<std::string> events;
};
