#include "platform/linux/LaunchEnvironment.h"

#include <array>
#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace {

std::optional<std::string> variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

void setVariable(const char* name, const std::optional<std::string>& value) {
    if (value)
        ::setenv(name, value->c_str(), 1);
    else
        ::unsetenv(name);
}

// Restores the variables a test changes, whatever the test's outcome.
class LaunchEnvironmentTest : public ::testing::Test {
protected:
    void TearDown() override {
        setVariable(LaunchEnvironment::tunablesVariable, tunables);
        setVariable(LaunchEnvironment::userTunablesVariable, userTunables);
        setVariable(LaunchEnvironment::launcherVariable, launcher);
    }
    std::optional<std::string> tunables = variable(LaunchEnvironment::tunablesVariable);
    std::optional<std::string> userTunables = variable(LaunchEnvironment::userTunablesVariable);
    std::optional<std::string> launcher = variable(LaunchEnvironment::launcherVariable);
};

} // namespace

TEST_F(LaunchEnvironmentTest, TheStartedProgramGetsHugePagesAndPutsTheUsersTunablesBack) {
    struct Case {
        std::optional<std::string> user;
        std::optional<std::string> started;  // what the started program's glibc reads
        std::optional<std::string> restored; // what the programs it opens get
    };
    const std::array cases{
        Case{std::nullopt, "glibc.malloc.hugetlb=1", std::nullopt},
        Case{"", "glibc.malloc.hugetlb=1", std::nullopt},
        Case{"glibc.malloc.arena_max=2", "glibc.malloc.arena_max=2:glibc.malloc.hugetlb=1",
             "glibc.malloc.arena_max=2"},
        // The user's own choice of huge pages stands.
        Case{"glibc.malloc.hugetlb=0", "glibc.malloc.hugetlb=0", "glibc.malloc.hugetlb=0"},
        // Too long to add to: left as it is rather than cut.
        Case{std::string(4090, 'x'), std::string(4090, 'x'), std::string(4090, 'x')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.user ? "user: " + c.user->substr(0, 40) : "user: unset");
        setVariable(LaunchEnvironment::tunablesVariable, c.user);
        ::unsetenv(LaunchEnvironment::userTunablesVariable);
        LaunchEnvironment::prepare("/opt/tovik/bin/tovik");
        EXPECT_EQ(variable(LaunchEnvironment::tunablesVariable), c.started);

        EXPECT_EQ(LaunchEnvironment::takeBack(), "/opt/tovik/bin/tovik");
        EXPECT_EQ(variable(LaunchEnvironment::tunablesVariable), c.restored);
        EXPECT_EQ(variable(LaunchEnvironment::userTunablesVariable), std::nullopt);
        EXPECT_EQ(variable(LaunchEnvironment::launcherVariable), std::nullopt);
    }
}

TEST_F(LaunchEnvironmentTest, AStartThroughTwoLaunchersStillPutsBackTheUsersValue) {
    // `tovik` started from a program that inherited the first one's
    // variables before they were taken back.
    ::setenv(LaunchEnvironment::tunablesVariable, "glibc.malloc.arena_max=2", 1);
    ::unsetenv(LaunchEnvironment::userTunablesVariable);
    LaunchEnvironment::prepare("/first/tovik");
    LaunchEnvironment::prepare("/second/tovik");
    EXPECT_EQ(variable(LaunchEnvironment::tunablesVariable),
              "glibc.malloc.arena_max=2:glibc.malloc.hugetlb=1");
    EXPECT_EQ(LaunchEnvironment::takeBack(), "/second/tovik");
    EXPECT_EQ(variable(LaunchEnvironment::tunablesVariable), "glibc.malloc.arena_max=2");
}

TEST_F(LaunchEnvironmentTest, AProgramStartedDirectlyKeepsItsEnvironment) {
    ::setenv(LaunchEnvironment::tunablesVariable, "glibc.malloc.arena_max=2", 1);
    ::unsetenv(LaunchEnvironment::userTunablesVariable);
    ::unsetenv(LaunchEnvironment::launcherVariable);
    EXPECT_EQ(LaunchEnvironment::takeBack(), "");
    EXPECT_EQ(variable(LaunchEnvironment::tunablesVariable), "glibc.malloc.arena_max=2");
}
