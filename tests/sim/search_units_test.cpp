// The port search against simulated units: which row of the protocol table finds each protocol,
// how the slots share and give up ports, and what the user is told.

#include "tests/sim/transfer_bench.h"

#include <gtest/gtest.h>

namespace
{

std::string Connected(const std::string& name)
{
    return "###" + name + " connected##" + name + " verbunden##" + name + " připojen";
}

struct FoundCase {
    const char* name;
    int protocol;
    int row; // the row of the protocol table that finds the unit
    int frameSize;
    int overhead;
    const char* unitName;
    int portReopens; // closes and reopens on the way, where the baud rate changes
};

void PrintTo(const FoundCase& c, std::ostream* out)
{
    *out << c.name;
}

const FoundCase kFoundCases[] = {
    { "IGN50", IGN50, 0, 52, 2, "Kordanex 109", 0 },
    { "WCOM", WCOM, 1, 48, 16, "Tarvo-X v109 (hw:321)", 0 },
    { "WCOMS", WCOMS, 2, 48, 16, "Tarvo-X v109 (hw:321)", 0 },
    { "IGN100", IGN100, 6, 102, 2, "Kordanex 109", 0 },
    { "IGN150", IGN150, 8, 152, 2, "Kordanex 109", 0 },
    { "IGN300", IGN300, 13, 302, 2, "Kordanex 109", 3 },
};

class SearchFinds : public ::testing::TestWithParam<FoundCase>
{
};

TEST_P(SearchFinds, UnitIsFoundAtItsRowOfTheProtocolTable)
{
    const FoundCase& c = GetParam();
    SimBench bench;
    bench.AddUnit(7, ConfigFor(c.protocol));
    ASSERT_TRUE(bench.Connect(400));

    CCOMCOM& link = bench.Link();
    EXPECT_EQ(link.ConnectedPort(), 7);
    EXPECT_EQ(bench.Log().Count("Send Once"), c.row + 1) << "one identification request per row";
    EXPECT_EQ(bench.Log().Count(std::string("Send Once (") + ProtocolName(c.protocol) + ")"), 1);
    EXPECT_EQ(bench.Log().Count("FAIL PROTOCOL - Close port"), c.portReopens);

    const CCOMSLOT& unit = link.ConnectedUnit();
    EXPECT_EQ(unit.port, 7);
    EXPECT_EQ(unit.protocol, c.protocol);
    EXPECT_EQ(unit.frameSize, c.frameSize);
    EXPECT_EQ(unit.overhead, c.overhead);
    EXPECT_EQ(unit.version, kRsKey);
    EXPECT_EQ(unit.name, c.unitName);
    EXPECT_EQ(link.NextPort(), 7);
    EXPECT_TRUE(link.PortListChanged());
    ASSERT_EQ(bench.Status().shown.size(), 1u);
    EXPECT_EQ(bench.Status().shown[0].kind, LinkStatusKind::Connected);
    EXPECT_EQ(bench.Status().shown[0].text, Connected(c.unitName));
    for (int slot = 0; slot < CCOMSEARCH::kSlotCount; ++slot)
        EXPECT_EQ(link.Slot(slot).port, 0) << slot;
}

INSTANTIATE_TEST_SUITE_P(Protocols, SearchFinds, ::testing::ValuesIn(kFoundCases),
    [](const ::testing::TestParamInfo<FoundCase>& param) { return std::string(param.param.name); });

TEST(Search, Ign50UnitIsFoundOneTickAfterItsPortOpened)
{
    SimBench bench;
    bench.AddUnit(7, ConfigFor(IGN50));
    ASSERT_TRUE(bench.TickUntil([&] { return bench.Log().Count("Send Once (IGN50)") == 1; }, 10));
    // The open was asked for on the first tick and carried out by the port manager on the second;
    // the request goes out on the first tick that finds the port open.
    EXPECT_EQ(bench.Ticks(), 3);
    EXPECT_EQ(bench.Log().Count("[0]Open Port COM7, Protocol=3050, Timeout=125"), 1);
    bench.Tick();
    EXPECT_EQ(bench.Link().ConnectedPort(), 7);
}

TEST(Search, LoopBackPlugIsTakenForAnEchoAndLeft)
{
    SimBench bench;
    UnitConfig config = ConfigFor(IGN50);
    config.faults.echo = true;
    bench.AddUnit(3, config);
    ASSERT_TRUE(bench.TickUntil([&] { return bench.Log().Count("[0] ECHO !") == 1; }, 100));
    // The IGN request comes back with its bit 7 clear and is passed over; the WCOM one parses.
    EXPECT_EQ(bench.Log().Count("Send Once (WCOM)"), 1);
    bench.Tick();
    EXPECT_EQ(bench.Log().Count("[0]FAIL PORT - Close port COM3"), 1);
    EXPECT_FALSE(bench.LineOf(3)->IsOpen());
    EXPECT_EQ(bench.Link().ConnectedPort(), 0);
    EXPECT_TRUE(bench.Status().shown.empty());
}

TEST(Search, FixedPortClosesEveryOtherPortTheSlotsHold)
{
    SimBench bench;
    bench.AddPort(3);
    bench.AddPort(8);
    bench.Tick();
    bench.Tick();
    ASSERT_EQ(bench.Link().Slot(0).port, 3);
    ASSERT_EQ(bench.Link().Slot(1).port, 8);
    ASSERT_TRUE(bench.LineOf(3)->IsOpen() && bench.LineOf(8)->IsOpen());

    bench.AddUnit(5, ConfigFor(IGN50));
    bench.Link().SetPortSelection(5);
    bench.Tick();
    EXPECT_EQ(bench.Log().Count("[0]FORCE CLOSE - Close port COM3"), 1);
    EXPECT_EQ(bench.Log().Count("[1]FORCE CLOSE - Close port COM8"), 1);
    ASSERT_TRUE(bench.Connect());
    EXPECT_EQ(bench.Link().ConnectedPort(), 5);
    EXPECT_FALSE(bench.LineOf(3)->IsOpen());
    EXPECT_FALSE(bench.LineOf(8)->IsOpen());
    EXPECT_EQ(bench.Log().Count("Open Port COM3"), 1);
    EXPECT_EQ(bench.Log().Count("Open Port COM8"), 1);
}

// Only slot 0 searches a fixed port, but a later slot that still holds another port must be closed
// even while the slot before it has none.
TEST(Search, FixedPortAlsoClosesAPortHeldBehindAnIdleSlot)
{
    SimBench bench;
    bench.AddPort(3);
    UnitConfig stranger = ConfigFor(IGN50);
    stranger.key = 108;
    bench.AddUnit(4, stranger);
    bench.AddPort(8);
    bench.Tick();
    ASSERT_EQ(bench.Link().Slot(1).port, 4);
    // COM4 leaves the system's list; once its unit has been given up, slot 1 finds nothing to take.
    bench.RemovePort(4);
    ASSERT_TRUE(bench.TickUntil(
        [&] {
            return !bench.Link().Port(4).Present() && bench.Link().Slot(1).port == 0
                && bench.Link().Slot(1).state == kSlotChoose;
        },
        100));
    ASSERT_EQ(bench.Link().Slot(0).port, 3);
    ASSERT_EQ(bench.Link().Slot(2).port, 8);

    bench.Link().SetPortSelection(3);
    bench.Tick();
    EXPECT_EQ(bench.Log().Count("[2]FORCE CLOSE - Close port COM8"), 1);
    bench.Tick();
    EXPECT_FALSE(bench.LineOf(8)->IsOpen());
}

TEST(Search, PortsSwitchedOffCloseEverySlotsPortAndNothingIsSearched)
{
    SimBench bench;
    bench.AddPort(3);
    bench.AddPort(8);
    bench.Tick();
    bench.Tick();
    ASSERT_TRUE(bench.LineOf(3)->IsOpen() && bench.LineOf(8)->IsOpen());

    bench.Link().SetPortSelection(kPortsOff);
    bench.Tick();
    bench.Tick();
    EXPECT_FALSE(bench.LineOf(3)->IsOpen());
    EXPECT_FALSE(bench.LineOf(8)->IsOpen());
    bench.Log().Clear();
    for (int tick = 0; tick < 40; ++tick)
        bench.Tick();
    EXPECT_EQ(bench.Log().Count("Open Port"), 0);
    for (int slot = 0; slot < CCOMSEARCH::kSlotCount; ++slot)
        EXPECT_EQ(bench.Link().Slot(slot).port, 0);
}

struct TwoUnitsCase {
    const char* name;
    int keyOn3;
    int keyOn4;
    int connected;
    std::vector<std::string> unmatched;
};

void PrintTo(const TwoUnitsCase& c, std::ostream* out)
{
    *out << c.name;
}

class SearchTwoUnits : public ::testing::TestWithParam<TwoUnitsCase>
{
};

TEST_P(SearchTwoUnits, FirstUnitWithThePcsKeyIsConnectedAndTheOtherPortClosed)
{
    const TwoUnitsCase& c = GetParam();
    SimBench bench;
    for (const auto& [port, key] : { std::pair { 3, c.keyOn3 }, { 4, c.keyOn4 } }) {
        UnitConfig config = ConfigFor(IGN50);
        config.key = key;
        bench.AddUnit(port, config);
    }
    ASSERT_TRUE(bench.Connect());
    bench.Tick();
    EXPECT_EQ(bench.Link().ConnectedPort(), c.connected);
    EXPECT_FALSE(bench.LineOf(c.connected == 3 ? 4 : 3)->IsOpen());
    EXPECT_TRUE(bench.LineOf(c.connected)->IsOpen());

    std::vector<std::string> unmatched;
    int connectedShown = 0;
    for (const auto& shown : bench.Status().shown) {
        if (shown.kind == LinkStatusKind::Unmatched)
            unmatched.push_back(shown.text);
        else
            ++connectedShown;
    }
    EXPECT_EQ(connectedShown, 1);
    EXPECT_EQ(unmatched, c.unmatched);
}

const TwoUnitsCase kTwoUnitsCases[] = {
    { "BothMatch", kRsKey, kRsKey, 3, {} },
    { "FirstHasAnotherKey", 108, kRsKey, 4,
        { "###COM 3:Kordanex 108 (unmatched)##COM 3:Kordanex 108 verbunden (unübertroffen)##COM 3:Kordanex "
          "108 "
          "připojen (nekompatibilní)" } },
};

INSTANTIATE_TEST_SUITE_P(Keys, SearchTwoUnits, ::testing::ValuesIn(kTwoUnitsCases),
    [](const ::testing::TestParamInfo<TwoUnitsCase>& param) { return std::string(param.param.name); });

TEST(Search, PortThatNeverOpensIsGivenUpAfterItsOpeningTime)
{
    SimBench bench;
    bench.AddPort(3)->SetOpenFails(true);
    ASSERT_TRUE(bench.TickUntil([&] { return bench.Log().Count("Open Port COM3") == 1; }, 5));
    const int asked = bench.Ticks();
    ASSERT_TRUE(bench.TickUntil([&] { return bench.Log().Count("[0] Not Openning...") == 1; }, 40));
    EXPECT_EQ(bench.Ticks() - asked, CCOMSEARCH::kOpenTimeoutMs / LinkClock::kMsPerTick + 1);
    EXPECT_EQ(bench.Log().Count("[0]FAIL PORT - Close port COM3"), 1);
}

TEST(Search, AfterDisconnectTheSearchStartsAgainAtTheUnitsPort)
{
    SimBench bench;
    bench.AddPort(3);
    bench.AddUnit(7, ConfigFor(WCOMS));
    bench.Link().SetNextPort(7);
    ASSERT_TRUE(bench.ConnectAndStart());
    bench.Link().ClearPortListChanged();
    bench.Log().Clear();

    bench.Link().Disconnect();
    EXPECT_EQ(bench.Log().Count("Close Port COM7..."), 1);
    EXPECT_EQ(bench.Link().ConnectedPort(), 0);
    EXPECT_EQ(bench.Link().State(), kWorkerIdle);
    EXPECT_EQ(bench.Link().Job(), JOB_NONE);
    EXPECT_TRUE(bench.Link().PortListChanged());

    bench.Tick();
    EXPECT_EQ(bench.Link().Slot(0).port, 7);
    ASSERT_TRUE(bench.ConnectAndStart());
    EXPECT_EQ(bench.Link().ConnectedPort(), 7);
    EXPECT_EQ(bench.RunJob(JOB_READ, 0, 100, kJobMarkSendFlags), JOB_DONE);
}

} // namespace
