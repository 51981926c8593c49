// One question to the print service, asked so that the caller never waits
// long: on a thread of its own, over a connection of its own that gives up
// soon after the caller has stopped waiting.
#pragma once

#include <cups/cups.h>

#include <chrono>
#include <functional>

namespace platform::winspool {

// How long a caller waits for the print service at most.
constexpr std::chrono::milliseconds kAnswerWithin{2000};

// What the question gets while it runs.
class ServiceCall {
public:
    ServiceCall(http_t* http, std::chrono::steady_clock::time_point deadline)
        : http_(http),
          deadline_(deadline)
    {}
    // The connection to the service, for every request of the question.
    http_t* Http() const { return http_; }
    // Whether the time for the answer has run out; the connection's waits
    // then fail at once.
    bool Expired() const { return std::chrono::steady_clock::now() >= deadline_; }

private:
    http_t* http_;
    std::chrono::steady_clock::time_point deadline_;
};

enum class Reach {
    Answered,  // the question ran to its end in time
    NoService, // nothing takes connections where the service should be
    NoAnswer,  // the service did not answer in time
};

// Connects to the service this thread's libcups settings name (CUPS_SERVER,
// the client configuration, or the local scheduler) and runs `ask` with the
// connection. Returns Answered once `ask` has returned in time: only then
// has it done its work, and what it wrote may be read (a request of its that
// failed for want of time is its to tell, by Expired). Otherwise `ask` may
// still be running, or may never run; it must keep what it writes alive
// itself, and must withdraw, on `abandoned`, whatever it made that the
// caller will not know of (it is called, on the question's thread, once
// `ask` has returned late).
//
// While a question the caller stopped waiting for is still unanswered, a
// new question to the same service gets NoAnswer at once.
Reach AskService(const std::function<void(const ServiceCall&)>& ask,
                 const std::function<void(const ServiceCall&)>& abandoned = nullptr);

} // namespace platform::winspool
