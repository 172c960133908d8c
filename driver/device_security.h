/* Only SYSTEM and the Administrators group may open the device. */
#pragma once

#include <ntifs.h>

/* Replaces the device object's DACL; a failure refuses to load rather than
   leave the device open to everyone. */
NTSTATUS restrictToAdministrators(PDEVICE_OBJECT device);
