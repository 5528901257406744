// What the search makes of WCOM identification replies that leave things out.

#include "shell/rskey.h"
#include "tests/link/link_bench.h"
#include "tests/link/link_test_support.h"
#include "tests/link/scripted_unit.h"

#include <gtest/gtest.h>

namespace
{

struct IdentificationCase {
    const char* name;
    Bytes data; // the reply's data: name, NUL, then up to three words
    const char* shown;
    int frameSize;
    int hardwareCode;
    int version;
};

void PrintTo(const IdentificationCase& c, std::ostream* out)
{
    *out << c.name;
}

const IdentificationCase kCases[] = {
    { "NoWordsAfterTheName", { 'T', 'a', 'r', 'v', 'o', 0 }, "COM 7:Tarvo v-1 (hw:ffffffff) (unmatched)", 48,
        -1, -1 },
    { "FrameSizeOnly", { 'T', 0, 64, 0 }, "COM 7:T v-1 (hw:ffffffff) (unmatched)", 64, -1, -1 },
    { "HalfAWordIsNotTaken", { 'T', 0, 64, 0, 0x21, 0, 108 }, "COM 7:T v-1 (hw:21) (unmatched)", 64, 0x21,
        -1 },
    { "AllWordsAnotherVersion", { 'T', 'a', '#', 0, 64, 0, 0x21, 0, 108, 0 },
        "COM 7:Ta? v108 (hw:21) (unmatched)", 64, 0x21, 108 },
};

class WcomIdentification : public ::testing::TestWithParam<IdentificationCase>
{
};

TEST_P(WcomIdentification, UnitWithoutThePcsVersionIsShownAsUnmatched)
{
    const IdentificationCase& c = GetParam();
    LinkBench bench;
    ScriptedUnit unit(
        bench.AddPort(7), WCOM,
        [&](const Bytes& request) {
            return ReadWcomFields(request.data()).command == kWcomIdentify
                ? WcomReply(WCOM, kWcomIdentify, 0, c.data)
                : Bytes();
        },
        57600);
    bench.SetPump(7, [&] { unit.Pump(); });
    ASSERT_TRUE(bench.TickUntil([&] { return !bench.Status().shown.empty(); }, 40));

    const auto& shown = bench.Status().shown;
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, LinkStatusKind::Unmatched);
    EXPECT_EQ(shown[0].text.substr(3, shown[0].text.find("##", 3) - 3), c.shown);
    EXPECT_EQ(bench.Log().Count(std::string("[0]") + c.shown), 1) << "the shown text, in English";
    EXPECT_EQ(bench.Link().ConnectedPort(), 0);
    // The slot still holds what the unit said while it gives the port up.
    const CCOMSLOT& slot = bench.Link().Slot(0);
    EXPECT_EQ(slot.state, kSlotClosing);
    EXPECT_EQ(slot.frameSize, c.frameSize);
    EXPECT_EQ(slot.overhead, kWcomOverhead);
    EXPECT_EQ(slot.hardwareCode, c.hardwareCode);
    EXPECT_EQ(slot.version, c.version);
}

INSTANTIATE_TEST_SUITE_P(Replies, WcomIdentification, ::testing::ValuesIn(kCases),
    [](const ::testing::TestParamInfo<IdentificationCase>& param) { return std::string(param.param.name); });

} // namespace
