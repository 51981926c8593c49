// Threads on std::thread.
//
// A thread handle is signalled once the thread function has returned; its
// exit code is the function's result. Closing the handle of a thread that is
// still running does not stop or wait for the thread: it is detached and runs
// to its end, freeing its own state (as on Windows, where the handle is only a
// reference). Closing the handle of a finished thread joins it at once.
#include "platform/kernel32.h"
#include "platform/kernel32/kernel_objects.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

namespace platform {
namespace {

struct ThreadState {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    DWORD exitCode = STILL_ACTIVE;
};

class ThreadObject : public KernelObject {
public:
    explicit ThreadObject(std::shared_ptr<ThreadState> state) : state_(std::move(state)) {}

    ~ThreadObject() override
    {
        if (!thread_.joinable()) return;
        bool done;
        {
            std::lock_guard<std::mutex> lock(state_->mutex);
            done = state_->done;
        }
        // A finished thread has only its return left to run; a running one,
        // or one that lets go of its own handle, goes on by itself.
        if (done && thread_.get_id() != std::this_thread::get_id())
            thread_.join();
        else
            thread_.detach();
    }

    Kind GetKind() const override { return Kind::Thread; }

    bool Wait(const Deadline& deadline) override
    {
        std::unique_lock<std::mutex> lock(state_->mutex);
        return clock::WaitUntil(lock, state_->finished, deadline.at,
                                [this] { return state_->done; });
    }

    DWORD ExitCode()
    {
        std::lock_guard<std::mutex> lock(state_->mutex);
        return state_->exitCode;
    }

    std::thread thread_;

private:
    std::shared_ptr<ThreadState> state_;
};

std::atomic<DWORD> g_nextThreadId{1};

} // namespace
} // namespace platform

namespace {
constexpr DWORD kCreateSuspended = 0x00000004; // not offered: threads start at once
}

HANDLE CreateThread(SECURITY_ATTRIBUTES*, size_t /*stackSize: the default is used*/,
                    LPTHREAD_START_ROUTINE start, LPVOID param, DWORD flags, LPDWORD threadId)
{
    if (start == nullptr || (flags & kCreateSuspended) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto state = std::make_shared<platform::ThreadState>();
    auto object = std::make_shared<platform::ThreadObject>(state);
    // A driven clock waits for the new thread to settle into its first wait.
    platform::clock::ThreadCreated();
    try {
        object->thread_ = std::thread([state, start, param] {
            platform::clock::ThreadStarted();
            DWORD code = start(param);
            {
                std::lock_guard<std::mutex> lock(state->mutex);
                state->exitCode = code;
                state->done = true;
            }
            state->finished.notify_all();
            platform::clock::Poke();
            platform::clock::ThreadEnds();
        });
    } catch (const std::system_error&) {
        platform::clock::ThreadNotCreated();
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (threadId != nullptr) *threadId = platform::g_nextThreadId.fetch_add(1);
    return platform::RegisterHandle(std::move(object));
}

BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode)
{
    std::shared_ptr<platform::KernelObject> object = platform::LookupHandle(thread);
    if (!object || object->GetKind() != platform::KernelObject::Kind::Thread) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (exitCode == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *exitCode = static_cast<platform::ThreadObject&>(*object).ExitCode();
    return TRUE;
}
