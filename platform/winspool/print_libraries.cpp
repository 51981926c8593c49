#include "platform/winspool/print_libraries.h"
#include "platform/library_calls.h"
#include "platform/winspool.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace platform::winspool {

namespace {

constexpr const char* kCupsName = "libcups.so.2";
constexpr const char* kCairoName = "libcairo.so.2";

struct Loaded {
    std::mutex mutex;
    std::string cupsName = kCupsName, cairoName = kCairoName;
    bool cupsTried = false, cairoTried = false;
    const CupsCalls* cups = nullptr;
    const CairoCalls* cairo = nullptr;
    // Every table made stays: a caller may still hold one after the test
    // seam has had the libraries loaded again.
    std::vector<std::unique_ptr<const CupsCalls>> cupsTables;
    std::vector<std::unique_ptr<const CairoCalls>> cairoTables;
};

// Never freed: a question's thread may still use a table while the program ends.
Loaded& State()
{
    static Loaded* loaded = new Loaded;
    return *loaded;
}

const CupsCalls* LoadCups(const std::string& name)
{
    void* library = OpenLibrary("printing", name);
    if (!library) return nullptr;
    auto calls = std::make_unique<CupsCalls>();
    bool all = true;
#define KVARLOP_FIND(call) \
    all = FindLibraryCall("printing", library, name, #call, &calls->call) && all;
    KVARLOP_CUPS_CALLS(KVARLOP_FIND)
#undef KVARLOP_FIND
    // The library stays loaded: libcups keeps threads' settings and its
    // calls may still be running on a question's thread.
    return all ? calls.release() : nullptr;
}

const CairoCalls* LoadCairo(const std::string& name)
{
    void* library = OpenLibrary("printing", name);
    if (!library) return nullptr;
    auto calls = std::make_unique<CairoCalls>();
    bool all = true;
#define KVARLOP_FIND(call) \
    all = FindLibraryCall("printing", library, name, #call, &calls->call) && all;
    KVARLOP_CAIRO_CALLS(KVARLOP_FIND)
#undef KVARLOP_FIND
    return all ? calls.release() : nullptr;
}

} // namespace

const CupsCalls* Cups()
{
    Loaded& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (!s.cupsTried) {
        s.cupsTried = true;
        s.cups = LoadCups(s.cupsName);
        if (s.cups) s.cupsTables.emplace_back(s.cups);
    }
    return s.cups;
}

const CairoCalls* Cairo()
{
    Loaded& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (!s.cairoTried) {
        s.cairoTried = true;
        s.cairo = LoadCairo(s.cairoName);
        if (s.cairo) s.cairoTables.emplace_back(s.cairo);
    }
    return s.cairo;
}

} // namespace platform::winspool

namespace platform::winspooltest {

void UsePrintLibraries(const char* cups, const char* cairo)
{
    winspool::Loaded& s = winspool::State();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.cupsName = cups ? cups : winspool::kCupsName;
    s.cairoName = cairo ? cairo : winspool::kCairoName;
    s.cupsTried = s.cairoTried = false;
    s.cups = nullptr;
    s.cairo = nullptr;
}

} // namespace platform::winspooltest
