/* IoCreateDeviceSecure lives in the static wdmsec library, which the MinGW
   kit lacks and NT 4.0 predates; the same DACL, "D:P(A;;GA;;;SY)(A;;GA;;;BA)",
   is built here from the kernel's own security routines. */
#include "driver/device_security.h"

/* Well-known SIDs, spelled out: S-1-5-18 (LocalSystem) and S-1-5-32-544
   (BUILTIN\Administrators). */
static struct {
    UCHAR revision, subAuthorityCount, authority[6];
    ULONG subAuthority[1];
} localSystem = {1, 1, {0, 0, 0, 0, 0, 5}, {18}};
static struct {
    UCHAR revision, subAuthorityCount, authority[6];
    ULONG subAuthority[2];
} administrators = {1, 2, {0, 0, 0, 0, 0, 5}, {32, 544}};

NTSTATUS restrictToAdministrators(PDEVICE_OBJECT device)
{
    /* Two ACEs of well-known SIDs (at most 16 bytes each) fit easily. */
    static ULONG aclBuffer[24];
    PACL acl = (PACL)aclBuffer;
    SECURITY_DESCRIPTOR descriptor;

    NTSTATUS status = RtlCreateSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    if (NT_SUCCESS(status)) status = RtlCreateAcl(acl, sizeof aclBuffer, ACL_REVISION);
    if (NT_SUCCESS(status)) status = RtlAddAccessAllowedAce(acl, ACL_REVISION, FILE_ALL_ACCESS, (PSID)&localSystem);
    if (NT_SUCCESS(status)) status = RtlAddAccessAllowedAce(acl, ACL_REVISION, FILE_ALL_ACCESS, (PSID)&administrators);
    if (NT_SUCCESS(status)) status = RtlSetDaclSecurityDescriptor(&descriptor, TRUE, acl, FALSE);
    if (!NT_SUCCESS(status)) return status;

    /* DriverEntry runs in the System process, so the handle is the kernel's. */
    HANDLE handle = NULL;
    status = ObOpenObjectByPointer(device, 0, NULL, WRITE_DAC, NULL, KernelMode, &handle);
    if (!NT_SUCCESS(status)) return status;
    /* The Zw form is exported only from Windows 2000 on; from DriverEntry the
       previous mode is kernel, so the Nt form takes the kernel's buffers. */
    status = NtSetSecurityObject(handle, DACL_SECURITY_INFORMATION, &descriptor);
    ZwClose(handle);
    return status;
}
