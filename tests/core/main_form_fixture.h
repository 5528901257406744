#pragma once

#include "core/file_dialogs.h"
#include "core/main_form.h"
#include "platform/port_list_fixed.h"
#include "platform/serial_memory.h"
#include "shell/language.h"
#include "tests/support/message_sink_capture.h"
#include "tests/support/temp_folder.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

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
