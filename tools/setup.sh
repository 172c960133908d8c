#!/usr/bin/env bash
# Idempotent machine set-up for this project on Debian 12 (run as root).
# Installs the native and MinGW-w64 tool chains, Xvfb, ImageMagick and Wine
# (32-bit), and, when the kernel cannot execute i386 ELF binaries itself
# (IA32 emulation off, as on the PVM/firecracker machines), makes Wine run
# under qemu-i386 through binfmt_misc.  A second run is a quick no-op.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
log() { echo "setup.sh: $*" >&2; }

if [ "$(id -u)" != 0 ]; then log "must run as root"; exit 1; fi

# ---- packages -------------------------------------------------------------
PKGS=(g++ gcc cmake make googletest libgtest-dev
      g++-mingw-w64-i686-posix mingw-w64-i686-dev binutils-mingw-w64-i686
      xvfb xauth imagemagick
      wine wine32:i386 libc6:i386
      qemu-user-static)

if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
fi

missing=()
installed=$(dpkg-query -W -f='${db:Status-Abbrev} ${binary:Package}\n' 2>/dev/null | awk '$1=="ii"{print $2}')
for p in "${PKGS[@]}"; do
    if ! grep -qx -e "$p" -e "$p:amd64" <<<"$installed"; then
        missing+=("$p")
    fi
done
if [ ${#missing[@]} -gt 0 ]; then
    log "installing ${missing[*]}"
    apt-get update -qq >/dev/null
    apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# ---- can this kernel run i386 ELF binaries? -------------------------------
BINFMT=/proc/sys/fs/binfmt_misc
QEMU_ENTRY=$BINFMT/qemu-i386
if [ -e "$QEMU_ENTRY" ]; then
    echo 1 >"$QEMU_ENTRY"                                  # make sure it is enabled
elif ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    # No native IA32 support: register qemu-i386-static for i386 ELF files.
    # The F flag opens the interpreter now, so it works in any mount namespace.
    if [ ! -e "$BINFMT/register" ]; then
        mount -t binfmt_misc binfmt_misc "$BINFMT"
    fi
    echo ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
        >"$BINFMT/register"
    if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
        log "i386 binaries still do not run after registering qemu-i386"; exit 1
    fi
fi

# ---- mmap shim for Wine under qemu-i386 -----------------------------------
# qemu-i386 7.2 takes MAP_FIXED_NOREPLACE as a plain hint and may return a
# different address; Wine's address-space reservation then goes wrong
# ("failed to map the shared user data").  This tiny LD_PRELOAD library gives
# the flag its kernel meaning again.  tools/wine-run.sh hands it to the i386
# processes only, through QEMU_SET_ENV and ld.so's $LIB (the 64-bit copy is an
# empty stub so that 64-bit children started by Wine stay quiet).
SHIM_DIR=/usr/local/lib/qz8-wine
SHIM_SRC=$(cat <<'EOF'
/* qz8 mmap shim (i386): MAP_FIXED_NOREPLACE semantics under qemu-i386 7.2 */
typedef unsigned int size_t;
typedef long long off64_t;
extern long syscall(long, ...);
extern int munmap(void *, size_t);
extern int *__errno_location(void);
#define MAP_FIXED_NOREPLACE 0x100000
#define SYS_mmap2 192
#define EINVAL 22
#define EEXIST 17
__attribute__((visibility("default")))
void *mmap64(void *addr, size_t len, int prot, int flags, int fd, off64_t off)
{
    if (off & 0xfff) { *__errno_location() = EINVAL; return (void *)-1; }
    void *p = (void *)syscall(SYS_mmap2, addr, len, prot, flags, fd,
                              (unsigned long)(off >> 12));
    if ((flags & MAP_FIXED_NOREPLACE) && p != (void *)-1 && p != addr) {
        munmap(p, len);
        *__errno_location() = EEXIST;
        return (void *)-1;
    }
    return p;
}
__attribute__((visibility("default")))
void *mmap(void *addr, size_t len, int prot, int flags, int fd, long off)
{
    return mmap64(addr, len, prot, flags, fd, (off64_t)(unsigned long)off);
}
/* qemu-user keeps one GDT for all threads, so Wine's per-thread %fs in a GDT
   slot (set_thread_area) breaks threads; refusing it makes Wine use the LDT. */
typedef __builtin_va_list va_list;
extern void *dlsym(void *, const char *);
#define ENOSYS 38
__attribute__((visibility("default")))
long syscall(long n, ...)
{
    static long (*real)(long, ...);
    if (n == 243) { *__errno_location() = ENOSYS; return -1; }
    if (!real) real = (long (*)(long, ...))dlsym((void *)-1l, "syscall");
    va_list ap; __builtin_va_start(ap, n);
    long a = __builtin_va_arg(ap, long), b = __builtin_va_arg(ap, long);
    long c = __builtin_va_arg(ap, long), d = __builtin_va_arg(ap, long);
    long e = __builtin_va_arg(ap, long), f = __builtin_va_arg(ap, long);
    __builtin_va_end(ap);
    return real(n, a, b, c, d, e, f);
}
EOF
)
if [ ! -f "$SHIM_DIR/lib/i386-linux-gnu/qz8-mmapfix.so" ] ||
   [ ! -f "$SHIM_DIR/lib/x86_64-linux-gnu/qz8-mmapfix.so" ] ||
   [ "$(cat "$SHIM_DIR/qz8-mmapfix.c" 2>/dev/null)" != "$SHIM_SRC" ]; then
    mkdir -p "$SHIM_DIR/lib/i386-linux-gnu" "$SHIM_DIR/lib/x86_64-linux-gnu"
    tmp=$(mktemp -d)
    printf '%s\n' "$SHIM_SRC" >"$tmp/qz8-mmapfix.c"
    gcc -m32 -O2 -fPIC -shared -nostdlib -fno-stack-protector \
        -o "$tmp/i386.so" "$tmp/qz8-mmapfix.c" /lib/i386-linux-gnu/libc.so.6
    echo 'void qz8_mmapfix_stub(void) {}' >"$tmp/stub.c"
    gcc -O2 -fPIC -shared -o "$tmp/x86_64.so" "$tmp/stub.c"
    install -m 0644 "$tmp/i386.so" "$SHIM_DIR/lib/i386-linux-gnu/qz8-mmapfix.so"
    install -m 0644 "$tmp/x86_64.so" "$SHIM_DIR/lib/x86_64-linux-gnu/qz8-mmapfix.so"
    install -m 0644 "$tmp/qz8-mmapfix.c" "$SHIM_DIR/qz8-mmapfix.c"
    rm -rf "$tmp"
fi
exit 0
