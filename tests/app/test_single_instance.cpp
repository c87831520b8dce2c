// Single instance across two real processes.
#include "platform/SingleInstance.h"
#include "ShellFixture.h"

#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

using namespace qm;

namespace {

// Runs claim() in a child process; its exit status is the role it got.
int claimInChild(const std::filesystem::path& socket, const std::string& message)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        CSingleInstance other;
        const auto role = other.claim(socket, message);
        ::_exit(static_cast<int>(role));
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class SingleInstance : public testing::Test {
protected:
    std::filesystem::path dir = qm::test::freshFolder("single");
    std::filesystem::path socket = dir / "q.sock";
    void TearDown() override { std::filesystem::remove_all(dir); }
};

TEST_F(SingleInstance, SecondStartHandsItsLineToTheFirst)
{
    CSingleInstance first;
    ASSERT_EQ(first.claim(socket, "raise"), CSingleInstance::Role::First);
    EXPECT_GE(first.fd(), 0);
    EXPECT_EQ(claimInChild(socket, "raise /tmp/a.pgn"), static_cast<int>(CSingleInstance::Role::Second));
    EXPECT_EQ(claimInChild(socket, "raise"), static_cast<int>(CSingleInstance::Role::Second));
    EXPECT_EQ(first.takeMessages(), (std::vector<std::string>{"raise /tmp/a.pgn", "raise"}));
    EXPECT_TRUE(first.takeMessages().empty());
}

TEST_F(SingleInstance, ASocketLeftByACrashIsTakenOver)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        CSingleInstance crashed;
        crashed.claim(socket, "raise");
        ::_exit(0);  // no destructor: the socket file stays behind
    }
    ::waitpid(pid, nullptr, 0);
    ASSERT_TRUE(std::filesystem::exists(socket));
    CSingleInstance first;
    EXPECT_EQ(first.claim(socket, "raise"), CSingleInstance::Role::First);
}

TEST_F(SingleInstance, UnusableSocketPathRunsAlone)
{
    CSingleInstance a;
    EXPECT_EQ(a.claim(dir / std::string(200, 'x'), "raise"), CSingleInstance::Role::Alone);
    CSingleInstance b;
    EXPECT_EQ(b.claim(dir / "missing" / "q.sock", "raise"), CSingleInstance::Role::Alone);
    EXPECT_TRUE(b.takeMessages().empty());
}

TEST_F(SingleInstance, TheFirstRemovesItsSocketWhenItEnds)
{
    {
        CSingleInstance first;
        ASSERT_EQ(first.claim(socket, "raise"), CSingleInstance::Role::First);
    }
    EXPECT_FALSE(std::filesystem::exists(socket));
}

} // namespace
