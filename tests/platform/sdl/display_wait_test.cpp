// The UI thread's sleep on the display connection: a socket pair stands in
// for the connection to the X server.
#include "platform/sdl/display_wait.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

struct Connection {
    Connection() { EXPECT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0); }
    ~Connection()
    {
        close(fds[0]);
        close(fds[1]);
    }
    int fds[2] = {-1, -1};
};

} // namespace

TEST(DisplayWait, EndsForTheDisplayForAnotherThreadAndOtherwiseRunsOut)
{
    using platform::WaitOnDisplay;
    Connection x;
    // Nothing to read and nobody waking: the time runs out.
    EXPECT_FALSE(WaitOnDisplay(x.fds[0], 0));
    EXPECT_FALSE(WaitOnDisplay(x.fds[0], 20));

    // Another thread ends a wait without a limit.
    std::thread waker([] { platform::WakeDisplayWait(); });
    EXPECT_TRUE(WaitOnDisplay(x.fds[0], 10000));
    waker.join();
    // The wake-up is used up: it does not end the next wait too (nor keep
    // every later one from sleeping).
    EXPECT_FALSE(WaitOnDisplay(x.fds[0], 0));

    // A wake-up given while nobody waits ends the next wait at once.
    platform::WakeDisplayWait();
    platform::WakeDisplayWait();
    EXPECT_TRUE(WaitOnDisplay(x.fds[0], 10000));
    EXPECT_FALSE(WaitOnDisplay(x.fds[0], 0));

    // Data from the server ends it, and stays for the display library to read.
    ASSERT_EQ(write(x.fds[1], "e", 1), 1);
    EXPECT_TRUE(WaitOnDisplay(x.fds[0], 10000));
    EXPECT_TRUE(WaitOnDisplay(x.fds[0], 0));
}
