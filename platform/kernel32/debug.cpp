// Debug output goes to the standard error stream as UTF-8, and to the sink a
// test has installed.
#include "platform/codepage.h"
#include "platform/kernel32.h"

#include <cstdio>
#include <memory>
#include <mutex>

namespace {

using Sink = std::function<void(const std::wstring&)>;

std::mutex& SinkMutex()
{
    static std::mutex* mutex = new std::mutex;
    return *mutex;
}

std::shared_ptr<Sink>& SinkSlot()
{
    static std::shared_ptr<Sink>* sink = new std::shared_ptr<Sink>;
    return *sink;
}

} // namespace

void OutputDebugStringW(LPCWSTR text)
{
    if (text == nullptr) return;
    std::wstring wide(text);
    std::string utf8 = platform::WideToUtf8(wide);
    std::fwrite(utf8.data(), 1, utf8.size(), stderr);
    std::fflush(stderr);

    std::shared_ptr<Sink> sink;
    {
        std::lock_guard<std::mutex> lock(SinkMutex());
        sink = SinkSlot();
    }
    // Called outside the lock, so a sink may itself write debug output.
    if (sink && *sink) (*sink)(wide);
}

namespace platform {

void SetDebugOutputSink(std::function<void(const std::wstring&)> sink)
{
    std::shared_ptr<Sink> next;
    if (sink) next = std::make_shared<Sink>(std::move(sink));
    std::lock_guard<std::mutex> lock(SinkMutex());
    SinkSlot() = std::move(next);
}

} // namespace platform
