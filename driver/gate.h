/* Between the kernel glue (C, written against the driver kit headers) and
   the request logic (freestanding C++). */
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Once from DriverEntry, before the device exists; 0 refuses to load.
   `serviceKey` is the service's registry key, `keyChars` UTF-16 units. */
int zornikStart(const uint16_t* serviceKey, uint32_t keyChars);
void zornikStop(void);

/* One device I/O control request on the buffered system buffer. Returns the
   NTSTATUS to complete with; `written` gets the output byte count. */
int32_t zornikControl(uint32_t code, uint8_t* buffer, uint32_t inputLength, uint32_t outputLength,
                      uint32_t* written);

#ifdef __cplusplus
}
#endif
