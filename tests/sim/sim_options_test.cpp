// The simulator's command line: every option reaches the unit, every mistake is named.

#include "sim/sim_options.h"

#include <gtest/gtest.h>

namespace {

SimOptions Parse(const QStringList& arguments)
{
    SimOptions options;
    QString error;
    EXPECT_TRUE(ParseSimOptions(arguments, options, error)) << error.toStdString();
    return options;
}

TEST(SimOptions, EveryOptionReachesTheUnit)
{
    const SimOptions o = Parse({ "--protocol", "wcoms", "--seed", "9", "--memory", "/tmp/unit.mem", "--map-com=7", "--key", "77",
        "--unit-version", "108.05", "--frame-size", "80", "--hardware", "0x10", "--name", "Bench", "--long-name", "Racing",
        "--serial", "080706-050403-0121a", "--long-replies", "--rpm", "3000", "--input1", "grounded", "--input2=open",
        "--hour-meter", "60", "--ac", "--negative-pickup", "--corrupt", "0.5", "--drop", "0.25", "--slow", "100", "--silent",
        "--echo", "--data-error", "--lose-first", "--unplug-after", "3", "--quiet" });
    const UnitConfig& u = o.unit;
    EXPECT_EQ(u.protocol, WCOMS);
    EXPECT_EQ(u.baudRate, 57600);
    EXPECT_EQ(u.seed, 9u);
    EXPECT_EQ(o.memoryFile, "/tmp/unit.mem");
    EXPECT_EQ(o.mapCom, 7);
    EXPECT_EQ(u.key, 77);
    EXPECT_EQ(u.information.version, 108);
    EXPECT_EQ(u.information.subVersion, 5);
    EXPECT_EQ(u.wcomFrameSize, 80);
    EXPECT_EQ(u.hardwareCode, 0x10);
    EXPECT_EQ(u.wcomName, "Bench");
    EXPECT_EQ(u.information.longName, "Racing");
    EXPECT_EQ(u.information.serial[0], 0x1A);
    EXPECT_FALSE(u.wcomShortReplies);
    EXPECT_EQ(u.engine.fixedRpm, 3000);
    EXPECT_EQ(u.engine.input1, 1);
    EXPECT_EQ(u.engine.input2, 0);
    EXPECT_EQ(u.engine.hourMeterMinutes, 60u);
    EXPECT_TRUE(u.engine.acSupply);
    EXPECT_TRUE(u.engine.pickupNegative);
    EXPECT_EQ(u.faults.corruptRate, 0.5);
    EXPECT_EQ(u.faults.dropRate, 0.25);
    EXPECT_EQ(u.faults.replyDelayMs, 100);
    EXPECT_TRUE(u.faults.silent);
    EXPECT_TRUE(u.faults.echo);
    EXPECT_TRUE(u.faults.dataError);
    EXPECT_TRUE(u.faults.loseFirstAttempt);
    EXPECT_EQ(u.faults.unplugAfterReplies, 3);
    EXPECT_TRUE(o.quiet);
    EXPECT_FALSE(o.help);
}

TEST(SimOptions, SpeedFollowsTheProtocolUnlessGiven)
{
    EXPECT_EQ(Parse({}).unit.baudRate, 57600);
    EXPECT_EQ(Parse({}).unit.protocol, IGN50);
    EXPECT_EQ(Parse({ "--protocol", "IGN300" }).unit.baudRate, 115200);
    EXPECT_EQ(Parse({ "--protocol", "IGN300", "--baud", "57600" }).unit.baudRate, 57600);
    EXPECT_EQ(Parse({ "--any-baud", "--protocol", "IGN300" }).unit.baudRate, 0);
}

TEST(SimOptions, WrongKeyMismatchesKeyAndVersionWhateverCameBefore)
{
    const SimOptions o = Parse({ "--wrong-key", "--key", "109", "--unit-version", "109" });
    EXPECT_EQ(o.unit.key, kRsKey - 1);
    EXPECT_EQ(o.unit.information.version, kRsKey - 1);
    EXPECT_TRUE(Parse({ "-h" }).help);
}

struct BadCase {
    const char* name;
    QStringList arguments;
    const char* message;
};

class BadOption : public ::testing::TestWithParam<BadCase> {};

TEST_P(BadOption, IsRefusedWithAMessageNamingIt)
{
    SimOptions options;
    QString error;
    EXPECT_FALSE(ParseSimOptions(GetParam().arguments, options, error));
    EXPECT_TRUE(error.contains(QString::fromLatin1(GetParam().message))) << error.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Kinds, BadOption,
    ::testing::Values(BadCase { "Unknown", { "--colour" }, "unknown option --colour" },
        BadCase { "UnknownWithValue", { "--colour=red" }, "unknown option --colour" },
        BadCase { "MissingValue", { "--seed" }, "--seed needs a value" },
        BadCase { "SwitchWithValue", { "--silent=yes" }, "--silent takes no value" },
        BadCase { "Protocol", { "--protocol", "IGN75" }, "'IGN75' is not one of" },
        BadCase { "ComZero", { "--map-com", "0" }, "a COM number 1..255" },
        BadCase { "ComTooHigh", { "--map-com", "256" }, "a COM number 1..255" },
        BadCase { "KeyTooHigh", { "--key", "300" }, "a key 1..255" },
        BadCase { "Version", { "--unit-version", "109.100" }, "a version" },
        BadCase { "FrameSize", { "--frame-size", "16" }, "a frame size 17..528" },
        BadCase { "Rate", { "--drop", "1.5" }, "a rate 0..1" },
        BadCase { "RateText", { "--corrupt", "often" }, "a rate 0..1" },
        BadCase { "NegativeDelay", { "--slow", "-5" }, "a delay" },
        BadCase { "Input", { "--input1", "maybe" }, "auto, open or grounded" },
        BadCase { "Serial", { "--serial", "12345" }, "a serial number" },
        BadCase { "LongName", { "--long-name", "A name far too long" }, "at most 14" },
        BadCase { "NameWithControl", { "--name", "Tar\nvo" }, "plain characters" },
        BadCase { "Seed", { "--seed", "x1" }, "a whole number" }),
    [](const ::testing::TestParamInfo<BadCase>& param) { return std::string(param.param.name); });

} // namespace
