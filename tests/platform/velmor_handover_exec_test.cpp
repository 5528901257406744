// The velmor-handover command itself, run as a separate process against a listener of this test.

#include "platform/handover_socket.h"
#include "tests/support/temp_folder.h"

#include <QProcess>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <string>

namespace {

const QString kHandover = QStringLiteral(VELMOR_HANDOVER_EXECUTABLE);
constexpr int kHangGuardMs = 20000;

struct RunResult {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

RunResult RunHandover(const QStringList& arguments)
{
    QProcess process;
    process.start(kHandover, arguments);
    process.waitForFinished(kHangGuardMs);
    return { process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError() };
}

struct ActionCase {
    const char* word;
    quint32 code;
};

class VelmorHandoverDelivers : public ::testing::TestWithParam<ActionCase> {};

TEST_P(VelmorHandoverDelivers, TheActionAsItsCodeToTheListener)
{
    TempFolder folder;
    const QString name = folder.file("handover.sock");
    HandoverListener listener;
    ASSERT_EQ(listener.Listen(name), HandoverListenResult::Listening);
    QSignalSpy spy(&listener, &HandoverListener::MessageReceived);

    QProcess process;
    process.start(kHandover, { "--port", "7", GetParam().word, "--socket", name });
    ASSERT_TRUE(spy.wait(kHangGuardMs)) << process.readAllStandardError().toStdString();
    // The event loop of the wait above may already have seen the process end.
    process.waitForFinished(kHangGuardMs);
    ASSERT_EQ(process.state(), QProcess::NotRunning);
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toInt(), 7);
    EXPECT_EQ(spy.at(0).at(1).value<quint32>(), GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(Actions, VelmorHandoverDelivers,
    ::testing::Values(ActionCase { "release", 0x7FFFFFA1 }, ActionCase { "reset-release", 0x7FFFFFA2 },
        ActionCase { "take-back", 0x7FFFFFA4 }),
    [](const ::testing::TestParamInfo<ActionCase>& c) {
        std::string name = c.param.word;
        std::erase(name, '-');
        return name;
    });

TEST(VelmorHandoverProgram, SaysWhenNoVelmorListens)
{
    TempFolder folder;
    const QString name = folder.file("nobody.sock");
    const RunResult result = RunHandover({ "--port", "3", "release", "--socket", name });
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.contains("no Velmor listens")) << result.err.toStdString();
    EXPECT_TRUE(result.err.contains(name.toLocal8Bit())) << result.err.toStdString();
}

TEST(VelmorHandoverProgram, HelpListsTheActionsAndMistakesEndWithAMessage)
{
    const RunResult help = RunHandover({ "--help" });
    EXPECT_EQ(help.exitCode, 0);
    for (const char* word : { "--port", "--socket", "release", "reset-release", "take-back", "0x7FFFFFA1" })
        EXPECT_TRUE(help.out.contains(word)) << word;

    const struct {
        QStringList arguments;
        const char* message;
    } mistakes[] = {
        { {}, "no action given" },
        { { "release" }, "no port given" },
        { { "--port", "3" }, "no action given" },
        { { "--port", "3", "borrow" }, "'borrow' is not one of" },
        { { "--port", "0", "release" }, "'0' is not a COM number" },
        { { "--port", "256", "release" }, "'256' is not a COM number" },
        { { "--port", "three", "release" }, "'three' is not a COM number" },
        { { "release", "--port" }, "--port needs a COM number" },
        { { "--port=3", "release", "take-back" }, "only one action" },
        { { "--port", "3", "release", "--socket" }, "--socket needs a name" },
        { { "--port", "3", "release", "--verbose" }, "unknown option '--verbose'" },
    };
    for (const auto& mistake : mistakes) {
        const RunResult result = RunHandover(mistake.arguments);
        EXPECT_EQ(result.exitCode, 2) << mistake.message;
        EXPECT_TRUE(result.err.contains(mistake.message)) << result.err.toStdString();
        EXPECT_TRUE(result.out.isEmpty());
    }
}

} // namespace
