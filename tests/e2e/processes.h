// The programs the end-to-end tests start: an X server of their own, the
// trainer itself, and the X tools that look at the screen and type and click
// on it as a person would.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace e2e {

// A child process with its own environment: this process's environment with
// `set` applied (an empty value removes the variable). Output goes to `log`.
class Child {
public:
    Child() = default;
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool Start(const std::vector<std::string>& argv, const std::map<std::string, std::string>& set,
               const std::string& workDir, const std::string& log, int keepFd = -1);
    bool Running();
    // Waits up to `seconds` for the end; true with its exit code (or
    // 128 + signal) when it ended in time.
    bool Wait(double seconds, int* status);
    void Signal(int sig);
    int Pid() const { return pid_; }

private:
    int pid_ = -1;
    int status_ = -1;
};

// Xvfb at 800 × 600 × 24 on a display number it picks itself.
class XServer {
public:
    bool Start(const std::string& log);
    // ":N"; empty before Start.
    const std::string& Display() const { return display_; }
    std::string Failure() const { return failure_; }
    // Ends the server, as when the display goes away under its clients.
    void Stop();

private:
    Child server_;
    std::string display_;
    std::string failure_;
};

// Runs a program to its end (up to `seconds`), its standard output in `out`;
// true when it ended with 0.
bool RunTool(const std::vector<std::string>& argv, std::string* out = nullptr, double seconds = 60);

// Seconds on the monotonic clock.
double Now();
void SleepSeconds(double s);

} // namespace e2e
