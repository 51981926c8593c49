#include "platform/winspool/service_call.h"
#include "platform/winspool/print_libraries.h"

#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <system_error>
#include <thread>

namespace platform::winspool {

namespace {

using Clock = std::chrono::steady_clock;

// Loaded by AskService before anything else: every call below comes after.
const CupsCalls& Lib()
{
    return *Cups();
}

// How often a connection's wait looks at the clock.
constexpr double kWaitStepSeconds = 0.1;
// A connection gives up a little after its caller has, so that a silent
// service always leaves its question unanswered to the caller, and the
// questions after it give up at once.
constexpr std::chrono::milliseconds kConnectionGivesUp = kAnswerWithin + std::chrono::seconds(1);

// The service as the calling thread's libcups settings name it; each thread
// of libcups has settings of its own, so the question's thread takes these.
struct Server {
    std::string host;
    int port = 0;
    http_encryption_t encryption = HTTP_ENCRYPTION_IF_REQUESTED;

    std::string Key() const { return host + ":" + std::to_string(port); }
};

Server CallersServer()
{
    Server server;
    server.host = Lib().cupsServer();
    server.port = Lib().ippPort();
    server.encryption = Lib().cupsEncryption();
    return server;
}

// The services with a question still running that its caller stopped
// waiting for. Made once and never freed: a question's thread may still
// reach it while the program ends.
struct Unanswered {
    std::mutex mutex;
    std::set<std::string> servers;
};

Unanswered& UnansweredServers()
{
    static Unanswered* unanswered = new Unanswered;
    return *unanswered;
}

// What the caller and the question's thread share.
struct Question {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    bool abandoned = false;
    Reach reach = Reach::NoAnswer;
};

int KeepWaiting(http_t*, void* call)
{
    return static_cast<const ServiceCall*>(call)->Expired() ? 0 : 1;
}

// The question's thread: the connection, the question, the connection closed.
void Ask(const Server& server, const std::shared_ptr<Question>& question,
         const std::function<void(const ServiceCall&)>& ask,
         const std::function<void(const ServiceCall&)>& abandoned)
{
    const Clock::time_point deadline = Clock::now() + kConnectionGivesUp;
    Lib().cupsSetServer(server.host.c_str());
    Lib().ippSetPort(server.port);
    Lib().cupsSetEncryption(server.encryption);
    const int connectMs = static_cast<int>(kConnectionGivesUp.count());
    http_t* http = Lib().httpConnect2(server.host.c_str(), server.port, nullptr, AF_UNSPEC,
                                      server.encryption, 1, connectMs, nullptr);
    ServiceCall call(http, deadline);
    Reach reach = Reach::NoService;
    if (!http && call.Expired()) reach = Reach::NoAnswer;
    if (http) {
        Lib().httpSetTimeout(http, kWaitStepSeconds, &KeepWaiting, &call);
        ask(call);
        reach = Reach::Answered;
    }

    bool late = false;
    {
        std::lock_guard<std::mutex> lock(question->mutex);
        question->done = true;
        question->reach = reach;
        late = question->abandoned;
    }
    question->finished.notify_all();
    if (late) {
        if (http && abandoned) {
            // Another short while to withdraw what was made.
            ServiceCall more(http, Clock::now() + kConnectionGivesUp);
            Lib().httpSetTimeout(http, kWaitStepSeconds, &KeepWaiting, &more);
            abandoned(more);
        }
        Unanswered& unanswered = UnansweredServers();
        std::lock_guard<std::mutex> lock(unanswered.mutex);
        unanswered.servers.erase(server.Key());
    }
    if (http) Lib().httpClose(http);
}

} // namespace

Reach AskService(const std::function<void(const ServiceCall&)>& ask,
                 const std::function<void(const ServiceCall&)>& abandoned)
{
    // Without the service's client library there is no service to ask.
    if (!Cups()) return Reach::NoService;
    const Server server = CallersServer();
    Unanswered& unanswered = UnansweredServers();
    {
        std::lock_guard<std::mutex> lock(unanswered.mutex);
        if (unanswered.servers.count(server.Key())) return Reach::NoAnswer;
    }

    auto question = std::make_shared<Question>();
    std::thread thread;
    try {
        thread = std::thread(&Ask, server, question, ask, abandoned);
    } catch (const std::system_error& e) {
        std::fprintf(stderr, "print service: no thread to ask it on: %s\n", e.what());
        return Reach::NoAnswer;
    }

    std::unique_lock<std::mutex> lock(question->mutex);
    if (question->finished.wait_for(lock, kAnswerWithin, [&question] { return question->done; })) {
        const Reach reach = question->reach;
        lock.unlock();
        thread.join();
        return reach;
    }
    // Marked while the question cannot finish, so that its thread, which
    // clears the mark, always comes after.
    question->abandoned = true;
    {
        std::lock_guard<std::mutex> mark(unanswered.mutex);
        unanswered.servers.insert(server.Key());
    }
    lock.unlock();
    thread.detach();
    return Reach::NoAnswer;
}

} // namespace platform::winspool
