#pragma once

#include "core/file_dialogs.h"
#include "core/main_form.h"
#include "link/unit_driver.h"
#include "platform/port_list_fixed.h"
#include "platform/serial_memory.h"
#include "shell/language.h"
#include "tests/support/message_sink_capture.h"
#include "tests/support/temp_folder.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <thread>

// Answers the file dialogs with prepared paths (an empty path is a Cancel) and records where they
// were asked to start.
class FakeFileDialogs : public IFileDialogs {
public:
    QString OpenFileName(const QString& startPath) override
    {
        openStarts << startPath;
        return openAnswer;
    }
    QString SaveFileName(const QString& startPath) override
    {
        saveStarts << startPath;
        return saveAnswer;
    }
    QString openAnswer;
    QString saveAnswer;
    QStringList openStarts;
    QStringList saveStarts;
};

// A main window on a settings folder of its own, with recorded message boxes and fake dialogs.
class MainFormFixture : public ::testing::Test {
protected:
    MainFormFixture() { setenv("XDG_CONFIG_HOME", qPrintable(config.path()), 1); }
    ~MainFormFixture() override { SetCurrentLanguage(kEnglish); }

    TMainForm& Form(const QStringList& arguments = {})
    {
        if (!m_form) {
            MainFormOptions options;
            options.arguments = arguments;
            options.messageSink = &messages;
            options.fileDialogs = &dialogs;
            options.startTimer = false;
            options.portList = &ports;
            options.serialFactory = devices.Factory();
            m_form = std::make_unique<TMainForm>(options);
        }
        return *m_form;
    }

    // Ticks the window (about 5 ms of real time per tick, so the link threads keep up) until the
    // condition holds; false after 30 s.
    bool TickUntil(const std::function<bool()>& done)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (std::chrono::steady_clock::now() < deadline) {
            Form().Timer1Timer();
            if (done())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }

    // A unit is connected and the driver waits for the next command.
    bool Idle() { return Form().Driver().UnitConnected() && Form().Driver().State() == DriverState::kIdle; }

    QString SettingsFile(const char* name) const
    {
        return config.path() + "/Kordanex/Velmor/109/" + QString::fromLatin1(name);
    }

    // No system port is ever opened: the window sees only these in-memory ports.
    FixedPortList ports;
    MemorySerialDevices devices;
    TempFolder config;
    TempFolder files;
    MessageSinkCapture messages;
    FakeFileDialogs dialogs;
    std::unique_ptr<TMainForm> m_form;
};
