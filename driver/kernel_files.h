/* Files and time for the simulated variant, from kernel mode. */
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Reads the file `fileName` that lies beside the driver image named by the
   service key's ImagePath; returns the byte count read (0: none), the text
   NUL-terminated in `buffer`. */
uint32_t kernelReadBesideDriver(const uint16_t* serviceKey, uint32_t keyChars, const char* fileName, char* buffer,
                                uint32_t size);

/* The existing file `fileName` beside the driver, emptied for writing; 0
   when it does not exist. */
void* kernelReopenBesideDriver(const uint16_t* serviceKey, uint32_t keyChars, const char* fileName);

/* A file created (or emptied) for writing, by Win32 path; 0 on failure. */
void* kernelCreateFile(const char* path);
void kernelWriteFile(void* file, const char* text, uint32_t length);
void kernelCloseFile(void* file);

/* Nanoseconds since boot. */
uint64_t kernelTimeNs(void);

#ifdef __cplusplus
}
#endif
