// The whole program against a simulated unit on an in-memory line: the window's tick drives the
// port search, the connection check, Read and Program through the real link threads.

#include "link/frame_checks.h"
#include "link/unit_driver.h"
#include "params/normalize_parameters.h"
#include "params/parameter_layout.h"
#include "sim/memory_line_unit.h"
#include "tests/core/main_form_fixture.h"

#include <QAction>
#include <QLabel>

#include <chrono>
#include <functional>
#include <thread>

namespace {

using namespace std::chrono_literals;

class MainFormWithUnit : public MainFormFixture {
protected:
    void StartUnit(int protocol, const ParameterBlock& settings)
    {
        ports.Set({ { 3, "sim3" } });
        UnitConfig unitConfig;
        unitConfig.protocol = protocol;
        unitConfig.baudRate = 0; // listens at any speed
        m_unit = std::make_unique<MemoryLineUnit>(devices.Add("sim3"), unitConfig);
        m_unit->With([&](UnitEngine& engine) { engine.State().WriteMemory(0, settings.data(), 100, 0); });
        m_unit->Start();
    }
    ~MainFormWithUnit() override
    {
        m_form.reset();
        if (m_unit)
            m_unit->Stop();
    }


    ParameterBlock UnitSettings() const
    {
        return m_unit->With([](UnitEngine& engine) { return engine.State().Parameters(); });
    }

    std::unique_ptr<MemoryLineUnit> m_unit;
};

ParameterBlock Recognisable()
{
    ParameterBlock block;
    SetDefaults(block);
    block[ParamIndex::kBaseAdvance] = 17;
    block[ParamIndex::kHardLimiterA] = 123;
    NormalizeParameters(block);
    return block;
}

TEST_F(MainFormWithUnit, FindsTheUnitReadsItsSettingsAndProgramsAChange)
{
    const ParameterBlock settings = Recognisable();
    StartUnit(IGN50, settings);
    TMainForm& form = Form();
    ASSERT_TRUE(TickUntil([&] { return Idle(); })) << "no unit found";
    EXPECT_TRUE(form.findChild<QAction*>("MenuRead")->isEnabled());
    EXPECT_TRUE(form.findChild<QLabel*>("LabelCom")->text().contains("3"));

    form.MenuReadClick();
    ASSERT_TRUE(TickUntil([&] { return Idle() && form.Block() == settings; })) << "Read did not finish";
    EXPECT_EQ(form.Settings().newInstall, 0);

    // Program needs the connection; the changed block must end up in the unit.
    ParameterBlock changed = form.Block();
    changed[ParamIndex::kBaseAdvance] = 21;
    ASSERT_TRUE(TickUntil([&] { return Idle(); }));
    const_cast<ParameterBlock&>(form.Block()) = changed;
    form.MenuProgramClick();
    ASSERT_TRUE(TickUntil([&] { return Idle() && form.Driver().ProgramDone() == false && UnitSettings() == changed; }))
        << "Program did not reach the unit";
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(MainFormWithUnit, ProgramIsRefusedOnANewInstallation)
{
    StartUnit(IGN50, Recognisable());
    TMainForm& form = Form();
    ASSERT_TRUE(TickUntil([&] { return Idle(); }));
    form.MenuProgramClick();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].caption, "Attention");
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Error);
    EXPECT_EQ(form.Driver().PendingRequest(), 0);
}

} // namespace
