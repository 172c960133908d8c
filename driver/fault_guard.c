/* The exception handler both processors' guarded routines name: a fault at
   one of the guarded instructions resumes at that instruction's fixup, which
   returns 0; any other exception goes on to the next handler. */
#include <ntddk.h>

#include "driver/fault_guard_arch.h"

extern const char qz8SiteMsr[], qz8FixupMsr[], qz8SiteInByte[], qz8FixupInByte[], qz8SiteInDword[],
    qz8FixupInDword[], qz8SiteOutByte[], qz8FixupOutByte[], qz8SiteOutDword[], qz8FixupOutDword[];

static const struct {
    const char* site;
    const char* fixup;
} kSites[] = {
    {qz8SiteMsr, qz8FixupMsr},           {qz8SiteInByte, qz8FixupInByte},   {qz8SiteInDword, qz8FixupInDword},
    {qz8SiteOutByte, qz8FixupOutByte}, {qz8SiteOutDword, qz8FixupOutDword},
};

/* ExceptionFlags while frames unwind (EXCEPTION_UNWINDING, EXCEPTION_EXIT_UNWIND). */
#define QZ8_UNWINDING 0x6

/* Called by the exception dispatcher for every exception inside a guarded
   routine, and again while frames unwind. */
EXCEPTION_DISPOSITION __cdecl qz8FaultHandler(EXCEPTION_RECORD* record, void* frame, CONTEXT* context,
                                              void* dispatcher)
{
    (void)frame;
    (void)dispatcher;
    if (record->ExceptionFlags & QZ8_UNWINDING) return ExceptionContinueSearch;
    for (unsigned i = 0; i < sizeof kSites / sizeof kSites[0]; ++i) {
        if (faultAddress(context) == (ULONG_PTR)kSites[i].site) {
            resumeAt(context, (ULONG_PTR)kSites[i].fixup);
            return ExceptionContinueExecution;
        }
    }
    return ExceptionContinueSearch;
}
