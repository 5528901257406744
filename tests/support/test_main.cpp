// Test entry point shared by every test executable.
//
// Every test process gets its own empty home and configuration folder, so no test can touch the
// user's real settings, documents or recent files, and a QApplication on the offscreen platform so
// widget tests run without a display (also when CTest lists the tests).

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);

    QTemporaryDir home(QDir::tempPath() + "/velmor-test-XXXXXX");
    const QByteArray homePath = home.path().toLocal8Bit();
    const QByteArray runtimePath = homePath + "/runtime";
    QDir().mkpath(QString::fromLocal8Bit(runtimePath));
    QFile::setPermissions(QString::fromLocal8Bit(runtimePath), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    setenv("HOME", homePath.constData(), 1);
    setenv("XDG_CONFIG_HOME", (homePath + "/config").constData(), 1);
    setenv("XDG_DATA_HOME", (homePath + "/data").constData(), 1);
    setenv("XDG_RUNTIME_DIR", runtimePath.constData(), 1);

    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
