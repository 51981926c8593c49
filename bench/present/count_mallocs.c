/* Preloaded into a program under measurement: counts calls of malloc,
 * calloc, realloc and the aligned allocators into a 64-bit counter in the
 * file named by KVARLOP_MALLOC_COUNT (made by the measuring script), which
 * the script reads while the program runs.
 *
 * With KVARLOP_MALLOC_TRACE naming a file, each call made once
 * KVARLOP_MALLOC_TRACE_AFTER seconds (a decimal, 5 if unset) have passed
 * since start-up also writes its thread, the size asked for, the seconds
 * since start-up and its backtrace there (one "@ tid size seconds" line, then one line a frame, as
 * backtrace_symbols_fd writes them), at most KVARLOP_MALLOC_TRACE_LIMIT
 * calls (10000 if unset). Offsets into a program are resolved afterwards,
 * e.g. with addr2line -f -C -e <program> <offset>. */
#define _GNU_SOURCE
#include <execinfo.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

extern void* __libc_malloc(size_t);
extern void* __libc_calloc(size_t, size_t);
extern void* __libc_realloc(void*, size_t);
extern void* __libc_memalign(size_t, size_t);

static volatile uint64_t* counter;
static uint64_t spare;

static int traceFd = -1;
static int64_t traceFromNs;
static int64_t startNs;
static int64_t traceLeft;
static int traceLock;
static __thread int inTrace;

static int64_t NowNs(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (int64_t)t.tv_sec * 1000000000 + t.tv_nsec;
}

__attribute__((constructor)) static void Open(void)
{
    const char* name = getenv("KVARLOP_MALLOC_COUNT");
    int fd = name ? open(name, O_RDWR) : -1;
    void* p = fd >= 0 ? mmap(NULL, 8, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0) : MAP_FAILED;
    if (fd >= 0) close(fd);
    counter = p != MAP_FAILED ? (volatile uint64_t*)p : &spare;

    const char* trace = getenv("KVARLOP_MALLOC_TRACE");
    if (trace && *trace) {
        const char* after = getenv("KVARLOP_MALLOC_TRACE_AFTER");
        const char* limit = getenv("KVARLOP_MALLOC_TRACE_LIMIT");
        startNs = NowNs();
        traceFromNs = startNs + (int64_t)((after ? atof(after) : 5.0) * 1e9);
        traceLeft = limit ? atoll(limit) : 10000;
        /* backtrace() loads the unwinder on its first call, which allocates:
         * done here, before any call is traced. */
        void* frames[4];
        backtrace(frames, 4);
        traceFd = open(trace, O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644);
    }
}

static void Trace(size_t size)
{
    if (traceFd < 0 || inTrace)
        return;
    const int64_t now = NowNs();
    if (now < traceFromNs)
        return;
    inTrace = 1;
    while (__atomic_exchange_n(&traceLock, 1, __ATOMIC_ACQUIRE))
        ;
    if (traceLeft > 0) {
        --traceLeft;
        void* frames[40];
        int n = backtrace(frames, 40);
        char head[64];
        int len = snprintf(head, sizeof head, "@ %ld %zu %.3f\n", (long)syscall(SYS_gettid), size,
                       (double)(now - startNs) / 1e9);
        if (write(traceFd, head, (size_t)len) < 0) {
        }
        /* The first frame is this function, the second the allocator. */
        if (n > 2)
            backtrace_symbols_fd(frames + 2, n - 2, traceFd);
    }
    __atomic_store_n(&traceLock, 0, __ATOMIC_RELEASE);
    inTrace = 0;
}

static void Count(size_t size)
{
    __atomic_fetch_add(counter ? counter : &spare, 1, __ATOMIC_RELAXED);
    Trace(size);
}

void* malloc(size_t n) { Count(n); return __libc_malloc(n); }
void* calloc(size_t n, size_t m) { Count(n * m); return __libc_calloc(n, m); }
void* realloc(void* p, size_t n) { Count(n); return __libc_realloc(p, n); }
void* memalign(size_t a, size_t n) { Count(n); return __libc_memalign(a, n); }
void* aligned_alloc(size_t a, size_t n) { Count(n); return __libc_memalign(a, n); }
int posix_memalign(void** out, size_t a, size_t n)
{
    Count(n);
    void* p = __libc_memalign(a, n);
    if (!p) return 12;
    *out = p;
    return 0;
}
