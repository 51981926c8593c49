#include "platform/clock.h"
#include "platform/dsound/output.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace platform::dsound {
namespace {

const uint32_t kBlockFrames = 256;
const int64_t kTickNs = 5000000;

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
        clock::Poke();
        if (thread_.joinable()) thread_.join();
    }

    uint32_t Rate() const override { return rate_; }
    uint32_t BlockFrames() const override { return kBlockFrames; }
    const char* Kind() const override { return "clock"; }

    void Start(RenderFunction render) override
    {
        render_ = std::move(render);
        clock::ThreadCreated();
        try {
            thread_ = std::thread([this] {
                clock::ThreadStarted();
                Run();
                clock::ThreadEnds();
            });
        } catch (...) {
            clock::ThreadNotCreated();
            throw;
        }
    }

    void Wake() override
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            woken_ = true;
        }
        wake_.notify_all();
        clock::Poke();
    }

private:
    // Waits for the next tick: 5 ms of real time, or, on a driven clock,
    // the next change of time, so that the frames follow it step by step.
    // False once the output stops.
    bool NextTick(std::unique_lock<std::mutex>& lock)
    {
        if (!clock::Driven()) {
            clock::WaitUntil(lock, wake_, clock::Now() + kTickNs, [this] { return stopping_; });
            return !stopping_;
        }
        const uint64_t seen = clock::Generation();
        if (stopping_) return false;
        lock.unlock();
        clock::WaitForChange(seen, clock::kForever);
        lock.lock();
        return !stopping_;
    }

    void Run()
    {
        std::vector<int16_t> block(2 * kBlockFrames);
        int64_t start = clock::Now();
        uint64_t produced = 0;
        // Should the thread be held up for long, the backlog beyond 50 ms is
        // dropped instead of being played through in one burst. Driven time
        // jumps by design: every frame of it is played.
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
                clock::WaitUntil(lock, wake_, clock::kForever,
                                 [this] { return stopping_ || woken_; });
                // The rest is not made up for: the clock starts again.
                start = clock::Now();
                produced = 0;
                continue;
            }
            if (!NextTick(lock)) break;
            lock.unlock();
            const int64_t elapsed = clock::Now() - start;
            const uint64_t due = uint64_t(elapsed < 0 ? 0 : elapsed) / 1000 * rate_ / 1000000;
            if (due > produced + maxBacklog && !clock::Driven()) produced = due - maxBacklog;
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
