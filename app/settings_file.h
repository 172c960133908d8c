// The 16-byte ".qz8" settings file: "QZ8-II  ", the FSB as a little-endian
// IEEE single, the RatioCode as a little-endian signed 32-bit integer.
#pragma once

#include <cstdint>

constexpr uint32_t kSettingsFileSize = 16;

// Writes currentSetting to a new file at path (an existing one is replaced).
// 1 when all 16 bytes reached the disk; 0 otherwise, and then no file is
// left behind.
int32_t writeSettingsFile(const char* path);
// Fills currentSetting from the file's first 16 bytes. The header is not
// compared and the values are not range-checked. 1 when 16 bytes were read.
int32_t readSettingsFile(const char* path);
