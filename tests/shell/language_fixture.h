#pragma once

#include "shell/language.h"
#include "tests/support/message_sink_capture.h"

#include <gtest/gtest.h>

// Starts a test in a chosen language with literal faults captured, and puts English and the previous
// fault sink back afterwards.
class LanguageFixture : public ::testing::Test
{
protected:
    explicit LanguageFixture(int startLanguage) : m_startLanguage(startLanguage) {}

    void SetUp() override
    {
        SetCurrentLanguage(m_startLanguage);
        m_previousSink = SetTextFaultSink(&m_faults);
    }
    void TearDown() override
    {
        SetTextFaultSink(m_previousSink);
        SetCurrentLanguage(kEnglish);
    }

    MessageSinkCapture m_faults;

private:
    int m_startLanguage;
    IMessageSink* m_previousSink = nullptr;
};
