#include "platform/paths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace
{

// Sets or unsets one environment variable for the life of the object.
class ScopedEnv
{
public:
    ScopedEnv(const char* name, const char* value)
        : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (m_old)
            setenv(m_name, m_old->c_str(), 1);
        else
            unsetenv(m_name);
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

TEST(SettingsBaseFolder, FollowsXdgConfigHomeAndFallsBackToHomeConfig)
{
    ScopedEnv home("HOME", "/home/rider");
    {
        ScopedEnv config("XDG_CONFIG_HOME", "/somewhere/config");
        EXPECT_EQ(SettingsBaseFolder(), "/somewhere/config");
    }
    {
        ScopedEnv config("XDG_CONFIG_HOME", nullptr);
        EXPECT_EQ(SettingsBaseFolder(), "/home/rider/.config");
    }
    {
        // A relative XDG_CONFIG_HOME is invalid and ignored.
        ScopedEnv config("XDG_CONFIG_HOME", "relative/config");
        EXPECT_EQ(SettingsBaseFolder(), "/home/rider/.config");
    }
}

} // namespace
