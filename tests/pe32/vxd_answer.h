// What the test-only stand-in for zornik.VXD answers: the VxD's one request
// (control code 1: the MSR index in 4 bytes; the MSR's low half in output
// bytes 0..3, its high half in 4..7) for the multiplier MSR of the Pentium 4
// the 32-bit guest claims to be, and a refusal for every other code, MSR or
// buffer too short for those bytes.
#pragma once

#include <cstdint>

struct VxdRequest {
    uint32_t code;
    const uint8_t* input;
    uint32_t inputLength;
    uint8_t* output;
    uint32_t outputLength;
};

// True when answered: output bytes 0..7 filled, `returned` 8. On a refusal
// nothing is written and `returned` is 0.
bool answerVxdRequest(const VxdRequest& request, uint32_t& returned);

// The MSR index a request names, or 0 when its input is too short.
uint32_t vxdRequestIndex(const VxdRequest& request);
