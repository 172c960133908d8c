// The SMBus transactions on the host controller's own ports (smbusPorts),
// through the hardware channel: what the Windows program always uses, and
// the Linux tool where no kernel driver owns the host.
#pragma once

#include "platform/platform.h"

SmbusBackend& hostPortSmbus();
