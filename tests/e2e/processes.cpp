#include "e2e/processes.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

extern char** environ;

namespace e2e {

namespace {

struct ExecArgs {
    std::vector<std::string> argvText, envText;
    std::vector<char*> argv, env;
};

ExecArgs Prepare(const std::vector<std::string>& argv,
                 const std::map<std::string, std::string>& set)
{
    ExecArgs a;
    a.argvText = argv;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('='));
        if (!set.count(name))
            a.envText.push_back(entry);
    }
    for (const auto& [name, value] : set)
        if (!value.empty())
            a.envText.push_back(name + "=" + value);
    for (std::string& s : a.argvText)
        a.argv.push_back(s.data());
    a.argv.push_back(nullptr);
    for (std::string& s : a.envText)
        a.env.push_back(s.data());
    a.env.push_back(nullptr);
    return a;
}

// In the child after fork: only calls safe there.
[[noreturn]] void Exec(ExecArgs& a, int out, const char* workDir, int keepFd)
{
    const int devNull = open("/dev/null", O_RDONLY);
    if (devNull >= 0)
        dup2(devNull, 0);
    if (out >= 0) {
        dup2(out, 1);
        dup2(out, 2);
    }
    if (keepFd >= 0)
        fcntl(keepFd, F_SETFD, 0);
    if (workDir && *workDir && chdir(workDir) != 0)
        _exit(126);
    execvpe(a.argv[0], a.argv.data(), a.env.data());
    _exit(127);
}

int StatusCode(int status)
{
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return -1;
}

} // namespace

double Now()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void SleepSeconds(double s)
{
    std::this_thread::sleep_for(std::chrono::duration<double>(s));
}

Child::~Child()
{
    if (Running()) {
        Signal(SIGKILL);
        Wait(30, nullptr);
    }
}

bool Child::Start(const std::vector<std::string>& argv,
                  const std::map<std::string, std::string>& set, const std::string& workDir,
                  const std::string& log, int keepFd)
{
    ExecArgs a = Prepare(argv, set);
    const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    const pid_t pid = fork();
    if (pid == 0)
        Exec(a, out, workDir.c_str(), keepFd);
    if (out >= 0)
        close(out);
    if (pid < 0)
        return false;
    pid_ = pid;
    status_ = -1;
    return true;
}

bool Child::Running()
{
    if (pid_ <= 0)
        return false;
    int status = 0;
    const pid_t r = waitpid(pid_, &status, WNOHANG);
    if (r == pid_) {
        status_ = StatusCode(status);
        pid_ = -1;
        return false;
    }
    return r == 0;
}

bool Child::Wait(double seconds, int* status)
{
    const double end = Now() + seconds;
    while (Running()) {
        if (Now() > end)
            return false;
        SleepSeconds(0.02);
    }
    if (status)
        *status = status_;
    return true;
}

void Child::Signal(int sig)
{
    if (pid_ > 0)
        kill(pid_, sig);
}

bool XServer::Start(const std::string& log)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        failure_ = "no pipe";
        return false;
    }
    // Xvfb writes the display number it found free, once it accepts clients.
    const bool started = server_.Start({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen",
                                        "0", "800x600x24", "-nolisten", "tcp", "-noreset"},
                                       {}, "", log, fds[1]);
    close(fds[1]);
    std::string number;
    const double end = Now() + 60;
    while (started && Now() < end) {
        pollfd p{fds[0], POLLIN, 0};
        if (poll(&p, 1, 200) <= 0) {
            if (!server_.Running())
                break;
            continue;
        }
        char c;
        const ssize_t n = read(fds[0], &c, 1);
        if (n <= 0 || c == '\n')
            break;
        number += c;
    }
    close(fds[0]);
    if (number.empty()) {
        failure_ =
            started ? "Xvfb did not report a display (see " + log + ")" : "Xvfb did not start";
        return false;
    }
    display_ = ":" + number;
    return true;
}

void XServer::Stop()
{
    server_.Signal(SIGTERM);
    server_.Wait(30, nullptr);
}

bool RunTool(const std::vector<std::string>& argv, std::string* out, double seconds)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return false;
    ExecArgs a = Prepare(argv, {});
    const pid_t pid = fork();
    if (pid == 0) {
        // Errors stay on the test's own standard error.
        dup2(fds[1], 1);
        execvp(a.argv[0], a.argv.data());
        _exit(127);
    }
    close(fds[1]);
    if (pid < 0) {
        close(fds[0]);
        return false;
    }
    std::string text;
    char buffer[65536];
    const double end = Now() + seconds;
    bool timedOut = false;
    for (;;) {
        pollfd p{fds[0], POLLIN, 0};
        const int ready = poll(&p, 1, 200);
        if (ready > 0) {
            const ssize_t n = read(fds[0], buffer, sizeof buffer);
            if (n <= 0)
                break;
            text.append(buffer, static_cast<size_t>(n));
        } else if (Now() > end) {
            timedOut = true;
            kill(pid, SIGKILL);
            break;
        }
    }
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (out)
        *out = std::move(text);
    return !timedOut && StatusCode(status) == 0;
}

} // namespace e2e
