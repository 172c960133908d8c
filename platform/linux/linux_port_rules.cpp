#include "platform/linux/linux_port_rules.h"

namespace {
constexpr uint32_t kConfigPortsFirst = 0xCF8;
constexpr uint32_t kConfigPortsLast = 0xCFF;
}  // namespace

bool linuxAllowsPort(zornik::Access access, uint32_t port, uint16_t smbusBase, bool osConfigSpace)
{
    if (access == zornik::Access::ReadMsr) return false;  // the msr device's affair
    if (osConfigSpace && port >= kConfigPortsFirst && port <= kConfigPortsLast) return false;
    return zornik::isAllowed(zornik::Request{access, port, 0}, zornik::Allowlist{smbusBase});
}
