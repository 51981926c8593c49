#include "framework/video/theora_library.h"

#include "platform/library_calls.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace {

constexpr const char* kTheoraName = "libtheora.so.0";

struct Loaded {
    std::mutex mutex;
    std::string name = kTheoraName;
    bool tried = false;
    const video::TheoraCalls* calls = nullptr;
    // Every table made stays: a view may still hold one after the test seam
    // has had the library loaded again.
    std::vector<std::unique_ptr<const video::TheoraCalls>> tables;
};

Loaded& State()
{
    static Loaded* loaded = new Loaded;
    return *loaded;
}

const video::TheoraCalls* Load(const std::string& name)
{
    void* library = platform::OpenLibrary("video", name);
    if (!library)
        return nullptr;
    auto calls = std::make_unique<video::TheoraCalls>();
    bool all = true;
#define KVARLOP_FIND(call) \
    all = platform::FindLibraryCall("video", library, name, #call, &calls->call) && all;
    KVARLOP_THEORA_CALLS(KVARLOP_FIND)
#undef KVARLOP_FIND
    return all ? calls.release() : nullptr;
}

} // namespace

namespace video {

const TheoraCalls* Theora()
{
    Loaded& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (!s.tried) {
        s.tried = true;
        s.calls = Load(s.name);
        if (s.calls)
            s.tables.emplace_back(s.calls);
    }
    return s.calls;
}

} // namespace video

namespace videotest {

void UseTheoraLibrary(const char* name)
{
    Loaded& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.name = name ? name : kTheoraName;
    s.tried = false;
    s.calls = nullptr;
}

} // namespace videotest
