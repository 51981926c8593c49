/* Preloaded into a program under measurement: counts calls of malloc,
 * calloc, realloc and the aligned allocators into a 64-bit counter in the
 * file named by KVARLOP_MALLOC_COUNT (made by the measuring script), which
 * the script reads while the program runs. */
#define _GNU_SOURCE
#include <fcntl.h>
#include <stdint.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <unistd.h>

extern void* __libc_malloc(size_t);
extern void* __libc_calloc(size_t, size_t);
extern void* __libc_realloc(void*, size_t);
extern void* __libc_memalign(size_t, size_t);

static volatile uint64_t* counter;
static uint64_t spare;

__attribute__((constructor)) static void Open(void)
{
    const char* name = getenv("KVARLOP_MALLOC_COUNT");
    int fd = name ? open(name, O_RDWR) : -1;
    void* p = fd >= 0 ? mmap(NULL, 8, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0) : MAP_FAILED;
    if (fd >= 0) close(fd);
    counter = p != MAP_FAILED ? (volatile uint64_t*)p : &spare;
}

static void Count(void)
{
    __atomic_fetch_add(counter ? counter : &spare, 1, __ATOMIC_RELAXED);
}

void* malloc(size_t n) { Count(); return __libc_malloc(n); }
void* calloc(size_t n, size_t m) { Count(); return __libc_calloc(n, m); }
void* realloc(void* p, size_t n) { Count(); return __libc_realloc(p, n); }
void* memalign(size_t a, size_t n) { Count(); return __libc_memalign(a, n); }
void* aligned_alloc(size_t a, size_t n) { Count(); return __libc_memalign(a, n); }
int posix_memalign(void** out, size_t a, size_t n)
{
    Count();
    void* p = __libc_memalign(a, n);
    if (!p) return 12;
    *out = p;
    return 0;
}
