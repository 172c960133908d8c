// sim::parseScenario over any bytes as the QZ8_SIM text, with error buffers
// from one byte up.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz/fuzz_check.h"
#include "sim/scenario.h"

namespace {

constexpr uint32_t kErrorSizes[] = {1, 2, 9, 40, 200};

bool isNamed(const char* name) { return std::strcmp(name, "?") != 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    bool firstAccepted = false;
    std::string shorterReason;
    for (uint32_t errorSize : kErrorSizes) {
        // Exactly the size given, so that AddressSanitizer sees any write past it.
        std::unique_ptr<char[]> error(new char[errorSize]);
        std::memset(error.get(), 'z', errorSize);
        sim::Scenario scenario;
        std::memset(scenario.tracePath, 'z', sizeof scenario.tracePath);
        const bool accepted = sim::parseScenario(text.c_str(), scenario, error.get(), errorSize);

        FUZZ_CHECK(std::memchr(error.get(), '\0', errorSize) != nullptr);
        const std::string reason(error.get());
        if (errorSize == kErrorSizes[0]) firstAccepted = accepted;
        // The buffer cuts the reason; it never changes the verdict.
        FUZZ_CHECK(accepted == firstAccepted);
        FUZZ_CHECK(reason.size() < errorSize);
        FUZZ_CHECK(reason.compare(0, shorterReason.size(), shorterReason) == 0);
        shorterReason = reason;

        if (!accepted) {
            // A refusal says why, as far as the buffer has room.
            FUZZ_CHECK(errorSize == 1 || !reason.empty());
            continue;
        }
        FUZZ_CHECK(reason.empty());
        FUZZ_CHECK(scenario.fsbHalfMhz >= 4 && scenario.fsbHalfMhz <= 514);
        FUZZ_CHECK(scenario.ratioCode == -1 || (scenario.ratioCode >= 2 && scenario.ratioCode <= 8));
        FUZZ_CHECK(isNamed(sim::boardName(scenario.board)));
        FUZZ_CHECK(isNamed(sim::cpuName(scenario.cpu)));
        FUZZ_CHECK(isNamed(sim::faultName(scenario.fault)));
        FUZZ_CHECK(std::memchr(scenario.tracePath, '\0', sizeof scenario.tracePath) != nullptr);
    }
    return 0;
}
