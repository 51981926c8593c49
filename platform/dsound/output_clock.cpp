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
    ClockOutput(uint32_t rate, std::function<bool()> idle) : rate_(rate), idle_(std::move(idle)) {}

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

    void Wake() override
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            woken_ = true;
        }
        wake_.notify_all();
    }

private:
    void Run()
    {
        std::vector<int16_t> block(2 * kBlockFrames);
        Clock::time_point start = Clock::now();
        uint64_t produced = 0;
        // Should the thread be held up for long, the backlog beyond 50 ms is
        // dropped instead of being played through in one burst.
        const uint64_t maxBacklog = rate_ / 20;
        std::unique_lock<std::mutex> lock(mutex_);
        while (!stopping_) {
            // Nothing plays: no tick until something may. A Wake() after the
            // flag is cleared is seen by the wait, one before it by idle_.
            woken_ = false;
            lock.unlock();
            const bool idle = idle_ && idle_();
            lock.lock();
            if (idle) {
                wake_.wait(lock, [this] { return stopping_ || woken_; });
                // The rest is not made up for: the clock starts again.
                start = Clock::now();
                produced = 0;
                continue;
            }
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
    const std::function<bool()> idle_;
    RenderFunction render_;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    bool woken_ = false;
};

} // namespace

std::unique_ptr<Output> OpenClockOutput(uint32_t rate, std::function<bool()> idle)
{
    return std::make_unique<ClockOutput>(rate, std::move(idle));
}

} // namespace platform::dsound
