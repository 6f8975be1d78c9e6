#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>

#include "base/Log.h"
#include "engine/ProcessDiscovery.h"
#include "fakes/FakeProcessLauncher.h"
#include "fakes/FakeProcessTable.h"

using namespace pellora;

TEST(ProcessDiscoveryTest, EscapesEveryMetacharacter) {
    EXPECT_EQ(ProcessDiscovery::escapePattern("/Users/a b/x.y(1)+[2]{3}|^$*?\\-z"),
              "\\/Users\\/a b\\/x\\.y\\(1\\)\\+\\[2\\]\\{3\\}\\|\\^\\$\\*\\?\\\\-z");
}

TEST(ProcessDiscoveryTest, ParsesIds) {
    EXPECT_EQ(ProcessDiscovery::parsePIDs(" 12\n\n+13\nabc\n0\n-4\n7\n12\n2147483648\n14 \r\n", 7),
              (ProcessDiscovery::PIDs{12, 13, 14}));
    EXPECT_EQ(ProcessDiscovery::formatPIDs({}), "[]");
    EXPECT_EQ(ProcessDiscovery::formatPIDs({123, 456}), "[123, 456]");
}

TEST(ProcessDiscoveryTest, SignalPIDsLogsSuccessAndRealFailuresOnly) {
    LogCapture log;
    auto table = std::make_shared<FakeProcessTable>();
    table->add(10, 1, "/x");
    table->add(12, 1, "/x");
    table->signalErrors[12] = EPERM;
    ProcessDiscovery discovery(std::make_shared<FakeProcessLauncher>(), table);
    discovery.signalPIDs({10, 11, 12}, SIGTERM, "SIGTERM");
    EXPECT_EQ(log.lines(), (std::vector<std::string>{"[shell] SIGTERM \u2192 PID 10",
                                                     "[shell] SIGTERM \u2192 PID 12 failed: Operation not permitted"}));
}
