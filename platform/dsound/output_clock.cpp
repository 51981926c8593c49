#include "platform/dsound/output.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace platform::dsound {
namespace {

using Clock = std::chrono::steady_clock;

const uint32_t kBlockFrames = 256;
const auto kTick = std::chrono::milliseconds(5);

class ClockOutput final : public Output {
public:
    explicit ClockOutput(uint32_t rate) : rate_(rate) {}

    ~ClockOutput() override
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        if (thread_.joinable()) thread_.join();
    }

    uint32_t Rate() const override { return rate_; }
    uint32_t BlockFrames() const override { return kBlockFrames; }
    const char* Kind() const override { return "clock"; }

    void Start(RenderFunction render) override
    {
        render_ = std::move(render);
        thread_ = std::thread([this] { Run(); });
    }

private:
    void Run()
    {
        std::vector<int16_t> block(2 * kBlockFrames);
        const Clock::time_point start = Clock::now();
        uint64_t produced = 0;
        // Should the thread be held up for long, the backlog beyond 50 ms is
        // dropped instead of being played through in one burst.
        const uint64_t maxBacklog = rate_ / 20;
        std::unique_lock<std::mutex> lock(mutex_);
        while (!stopping_) {
            wake_.wait_for(lock, kTick, [this] { return stopping_; });
            if (stopping_) break;
            lock.unlock();
            const auto elapsed =
                std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - start);
            const uint64_t due = uint64_t(elapsed.count()) / 1000 * rate_ / 1000000;
            if (due > produced + maxBacklog) produced = due - maxBacklog;
            while (produced < due) {
                const size_t frames = size_t(std::min<uint64_t>(due - produced, kBlockFrames));
                render_(block.data(), frames);
                produced += frames;
            }
            lock.lock();
        }
    }

    const uint32_t rate_;
    RenderFunction render_;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
};

} // namespace

std::unique_ptr<Output> OpenClockOutput(uint32_t rate)
{
    return std::make_unique<ClockOutput>(rate);
}

} // namespace platform::dsound
