// The [PORTS] entry that lets Velmor find the simulated unit comes and goes without disturbing the
// rest of Velmor's settings.

#include "shell/settings.h"
#include "shell/version_texts.h"
#include "sim/port_mapping.h"
#include "tests/support/temp_folder.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

class PortMapping : public ::testing::Test {
protected:
    PortMapping() : m_where(LocateSettingsIn(m_folder.path(), kRsKey)) {}

    std::map<int, QString> Ports() const { return LoadSettings(m_where, VelmorSettings(), {}).ports; }
    QByteArray IniText() const
    {
        QFile file(m_where.iniPath);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    TempFolder m_folder;
    SettingsLocation m_where;
};

TEST_F(PortMapping, EntryIsWhatVelmorReadsAndGoesAgainAtTheEnd)
{
    QFile ini(m_where.iniPath);
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[BASIC]\nComPort=7\nLanguage=3\n; kept\n[PORTS]\nCOM3=/dev/ttyUSB0\n");
    ini.close();

    ASSERT_TRUE(MapComPort(m_where, 7, "/dev/pts/9"));
    EXPECT_EQ(Ports(), (std::map<int, QString> { { 3, "/dev/ttyUSB0" }, { 7, "/dev/pts/9" } }));

    ASSERT_TRUE(UnmapComPort(m_where, 7, "/dev/pts/9"));
    EXPECT_EQ(Ports(), (std::map<int, QString> { { 3, "/dev/ttyUSB0" } }));
    const QByteArray text = IniText();
    EXPECT_TRUE(text.contains("ComPort=7"));
    EXPECT_TRUE(text.contains("; kept"));
}

TEST_F(PortMapping, FirstStartGetsANewFileAndAnEntryChangedSinceIsLeft)
{
    ASSERT_TRUE(MapComPort(m_where, 200, "/dev/pts/4"));
    EXPECT_EQ(Ports(), (std::map<int, QString> { { 200, "/dev/pts/4" } }));

    // The user pointed COM200 at another device meanwhile.
    ASSERT_TRUE(MapComPort(m_where, 200, "/dev/ttyACM0"));
    EXPECT_TRUE(UnmapComPort(m_where, 200, "/dev/pts/4"));
    EXPECT_EQ(Ports(), (std::map<int, QString> { { 200, "/dev/ttyACM0" } }));
}

TEST_F(PortMapping, DeviceTheNumberNamedBeforeComesBackAtTheEnd)
{
    ASSERT_TRUE(MapComPort(m_where, 5, "/dev/ttyUSB1"));
    QString previous;
    ASSERT_TRUE(MapComPort(m_where, 5, "/dev/pts/4", &previous));
    EXPECT_EQ(previous, "/dev/ttyUSB1");
    EXPECT_EQ(Ports(), (std::map<int, QString> { { 5, "/dev/pts/4" } }));
    ASSERT_TRUE(UnmapComPort(m_where, 5, "/dev/pts/4", previous));
    EXPECT_EQ(Ports(), (std::map<int, QString> { { 5, "/dev/ttyUSB1" } }));
}

TEST_F(PortMapping, ComNumbersOutsideTheRangeAreRefused)
{
    EXPECT_FALSE(MapComPort(m_where, 0, "/dev/pts/4"));
    EXPECT_FALSE(MapComPort(m_where, 256, "/dev/pts/4"));
    EXPECT_FALSE(QFile::exists(m_where.iniPath));
}

} // namespace
