// The memory file keeps a unit between runs and never lets a damaged file pass for a unit.

#include "sim/memory_file.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

namespace {

PersistentUnit SampleUnit()
{
    PersistentUnit unit = UnitState::FactoryUnit(4242);
    unit.programmings = 17;
    for (int i = 0; i < kUnitMemorySize; i += 7)
        unit.memory[i] = static_cast<std::uint8_t>(i * 13);
    return unit;
}

bool SameUnit(const PersistentUnit& a, const PersistentUnit& b)
{
    return a.memory == b.memory && a.programmings == b.programmings && a.hourMinutes == b.hourMinutes;
}

TEST(MemoryFile, SavedUnitLoadsBackWhole)
{
    TempFolder folder;
    const QString path = folder.file("unit.mem");
    PersistentUnit loaded;
    QString error;
    EXPECT_EQ(LoadUnitMemory(path, loaded, error), MemoryFileStatus::Missing);

    ASSERT_TRUE(SaveUnitMemory(path, SampleUnit()));
    ASSERT_EQ(LoadUnitMemory(path, loaded, error), MemoryFileStatus::Loaded) << error.toStdString();
    EXPECT_TRUE(SameUnit(loaded, SampleUnit()));
}

struct DamageCase {
    const char* name;
    QByteArray (*damage)(QByteArray);
};

class DamagedMemoryFile : public ::testing::TestWithParam<DamageCase> {};

TEST_P(DamagedMemoryFile, IsRefusedAndLeavesTheUnitAlone)
{
    TempFolder folder;
    const QString path = folder.write("unit.mem", GetParam().damage(SerializeUnitMemory(SampleUnit())));
    PersistentUnit unit = UnitState::FactoryUnit(1);
    const PersistentUnit before = unit;
    QString error;
    EXPECT_EQ(LoadUnitMemory(path, unit, error), MemoryFileStatus::Damaged);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(SameUnit(unit, before));
}

INSTANTIATE_TEST_SUITE_P(Kinds, DamagedMemoryFile,
    ::testing::Values(DamageCase { "OtherFile", [](QByteArray) { return QByteArray("[BASIC]\nLeft=3\n"); } },
        DamageCase { "Empty", [](QByteArray) { return QByteArray(); } },
        DamageCase { "CutShort", [](QByteArray text) { return text.left(text.size() / 2); } },
        DamageCase { "RowTwice", [](QByteArray text) { return text + "0000 " + QByteArray(64, '0') + "\n"; } },
        DamageCase { "RowOfWrongLength", [](QByteArray text) { return text.replace("0020 ", "0020 00"); } },
        DamageCase { "NotHex",
            [](QByteArray text) {
                const qsizetype at = text.indexOf("\n0040 ") + 6;
                text[at] = 'Z';
                return text;
            } },
        DamageCase { "AddressOutside", [](QByteArray text) { return text + "1F40 " + QByteArray(64, '0') + "\n"; } },
        DamageCase { "HourMeterTooLarge", [](QByteArray text) { return text.replace("HOURMETER 4242", "HOURMETER 99999999"); } },
        DamageCase { "Huge", [](QByteArray text) { return text + QByteArray(kMaxMemoryFileSize, '#'); } }),
    [](const ::testing::TestParamInfo<DamageCase>& param) { return std::string(param.param.name); });

} // namespace
