#include "app/settings_file.h"

#include <cstdio>
#include <cstring>

#include "clock/clock_generator.h"

namespace {

constexpr char kSettingsMagic[8] = {'Q', 'Z', '8', '-', 'I', 'I', ' ', ' '};

// The file holds the in-memory bytes of the two fields; the x86 targets are
// little-endian, so no conversion is needed.
static_assert(sizeof(float) == 4 && sizeof(RatioCode) == 4, "settings fields are 4 bytes each");

bool writeAll(std::FILE* file)
{
    return std::fwrite(kSettingsMagic, sizeof kSettingsMagic, 1, file) == 1 &&
           std::fwrite(&currentSetting.fsbMhz, sizeof currentSetting.fsbMhz, 1, file) == 1 &&
           std::fwrite(&currentSetting.ratioCode, sizeof currentSetting.ratioCode, 1, file) == 1;
}

}  // namespace

int32_t writeSettingsFile(const char* path)
{
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) return 0;
    bool written = writeAll(file);
    // A full disk often only shows when the buffer is flushed at close.
    written = (std::fclose(file) == 0) && written;
    if (!written) {
        // A short settings file would later be refused in batch mode anyway;
        // better not to leave one that looks saved.
        std::remove(path);
        return 0;
    }
    return 1;
}

int32_t readSettingsFile(const char* path)
{
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return 0;
    char header[12] = {};
    int32_t result = 0;
    if (std::fread(header, 1, 8, file) == 8 &&
        std::fread(&currentSetting.fsbMhz, sizeof currentSetting.fsbMhz, 1, file) == 1 &&
        std::fread(&currentSetting.ratioCode, sizeof currentSetting.ratioCode, 1, file) == 1) {
        result = 1;
    }
    std::fclose(file);
    return result;
}
