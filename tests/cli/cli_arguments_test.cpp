// The command line of velmor-cli: what each form means and which forms are refused.

#include "cli/cli_arguments.h"
#include "shell/language.h"

#include <gtest/gtest.h>

namespace {

struct ParseCase {
    QStringList arguments;
    bool ok;
    CliCommand command = CliCommand::None;
    QString file = {};
    QString output = {};
    int port = 0;
    bool portGiven = false;
};

TEST(CliArguments, CommandsFilesAndOptions)
{
    const ParseCase cases[] = {
        { { "ports" }, true, CliCommand::Ports },
        { { "read" }, true, CliCommand::Read },
        { { "read", "-o", "a.ign" }, true, CliCommand::Read, "", "a.ign" },
        { { "--output=a.ign", "read" }, true, CliCommand::Read, "", "a.ign" },
        { { "program", "x.ign", "--port", "7" }, true, CliCommand::Program, "x.ign", "", 7, true },
        { { "--port=auto", "verify", "x.ign" }, true, CliCommand::Verify, "x.ign", "", 0, true },
        { { "reset", "--port", "255" }, true, CliCommand::Reset, "", "", 255, true },
        { { "monitor", "--seconds", "3" }, true, CliCommand::Monitor },
        { { "convert", "in.ign", "-o", "out.ign" }, true, CliCommand::Convert, "in.ign", "out.ign" },
        { { "show", "x.ign" }, true, CliCommand::Show, "x.ign" },
        // Refused: missing or extra arguments, options a command does not take, bad values.
        { {}, false },
        { { "flash" }, false },
        { { "program" }, false },
        { { "show", "a.ign", "b.ign" }, false },
        { { "reset", "extra" }, false },
        { { "show", "a.ign", "-o", "b.ign" }, false },
        { { "convert", "a.ign", "--port", "3" }, false },
        { { "read", "--seconds", "3" }, false },
        { { "read", "--port" }, false },
        { { "read", "--port", "0" }, false },
        { { "read", "--port", "256" }, false },
        { { "read", "--port", "COM3" }, false },
        { { "read", "--timeout", "0" }, false },
        { { "read", "--timeout", "ten" }, false },
        { { "read", "--lang", "FRANCAIS" }, false },
        { { "read", "-o" }, false },
        { { "read", "--verbose" }, false },
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const CliParseResult r = ParseCliArguments(c.arguments);
        EXPECT_EQ(r.Ok(), c.ok) << r.error.toStdString();
        if (!c.ok || !r.Ok())
            continue;
        EXPECT_EQ(r.options.command, c.command);
        EXPECT_EQ(r.options.file, c.file);
        EXPECT_EQ(r.options.output, c.output);
        EXPECT_EQ(r.options.port, c.port);
        EXPECT_EQ(r.options.portGiven, c.portGiven);
    }
}

TEST(CliArguments, CommonOptionsAndTheirDefaults)
{
    const CliOptions plain = ParseCliArguments({ "read" }).options;
    EXPECT_EQ(plain.timeoutSeconds, 10);
    EXPECT_EQ(plain.language, -1);
    EXPECT_FALSE(plain.quiet);

    const CliParseResult r = ParseCliArguments({ "--lang", "cesky", "monitor", "--quiet", "--timeout=30", "--seconds", "0" });
    ASSERT_TRUE(r.Ok()) << r.error.toStdString();
    EXPECT_EQ(r.options.language, kCzech);
    EXPECT_TRUE(r.options.quiet);
    EXPECT_EQ(r.options.timeoutSeconds, 30);
    EXPECT_EQ(r.options.monitorSeconds, 0);
    EXPECT_EQ(ParseCliArguments({ "--lang=DEUTSCH", "ports" }).options.language, kGerman);

    // --help is valid alone and with an otherwise incomplete command.
    EXPECT_TRUE(ParseCliArguments({ "--help" }).Ok());
    EXPECT_TRUE(ParseCliArguments({ "program", "--help" }).Ok());
    EXPECT_TRUE(ParseCliArguments({ "-h" }).options.help);
}

} // namespace
