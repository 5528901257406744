// The port hand-over socket: the line format, the listener on a private name, what a crashed
// instance leaves behind, and two instances of one user on one name.

#include "platform/handover_socket.h"
#include "tests/support/temp_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

namespace {

// Real-time waits in this file are hang guards only: local sockets deliver within milliseconds.
constexpr int kHangGuardMs = 10000;

struct LineCase {
    const char* name;
    QByteArray line;
    std::optional<HandoverMessage> expected;
};

void PrintTo(const LineCase& c, std::ostream* out)
{
    *out << c.name;
}

class HandoverLineParsing : public ::testing::TestWithParam<LineCase> {};

TEST_P(HandoverLineParsing, TakesWellFormedLinesAndRejectsTheRest)
{
    const LineCase& c = GetParam();
    EXPECT_EQ(ParseHandoverLine(c.line), c.expected) << c.line.toStdString();
}

const QByteArray kLongestLine = "3" + QByteArray(kHandoverMaxLineBytes - 11, ' ') + "0x7FFFFFA1";

INSTANTIATE_TEST_SUITE_P(Lines, HandoverLineParsing,
    ::testing::Values(
        LineCase { "HexCode", "3 0x7FFFFFA1", HandoverMessage { 3, 0x7FFFFFA1 } },
        LineCase { "LowerCaseHex", "255 0x7fffffa4", HandoverMessage { 255, 0x7FFFFFA4 } },
        LineCase { "UpperCasePrefix", "17 0X7FFFFFA2", HandoverMessage { 17, 0x7FFFFFA2 } },
        LineCase { "DecimalCode", "3 2147483553", HandoverMessage { 3, 0x7FFFFFA1 } },
        LineCase { "TabsAndExtraBlanks", "\t 3 \t 0x7FFFFFA1  ", HandoverMessage { 3, 0x7FFFFFA1 } },
        LineCase { "CarriageReturnBeforeLineEnd", "3 0x7FFFFFA1\r", HandoverMessage { 3, 0x7FFFFFA1 } },
        // Codes are not judged here: the link ignores the ones it does not know.
        LineCase { "UnknownCodeStillParses", "3 0x12345", HandoverMessage { 3, 0x12345 } },
        LineCase { "LargestCode", "1 0xFFFFFFFF", HandoverMessage { 1, 0xFFFFFFFF } },
        LineCase { "LongestLine", kLongestLine, HandoverMessage { 3, 0x7FFFFFA1 } },
        LineCase { "OneByteTooLong", kLongestLine + " ", std::nullopt },
        LineCase { "Empty", "", std::nullopt },
        LineCase { "OnlyBlanks", "   ", std::nullopt },
        LineCase { "PortOnly", "3", std::nullopt },
        LineCase { "ThirdField", "3 0x7FFFFFA1 9", std::nullopt },
        LineCase { "PortZero", "0 0x7FFFFFA1", std::nullopt },
        LineCase { "PortAboveRange", "256 0x7FFFFFA1", std::nullopt },
        LineCase { "HugePort", "99999999999999999999 0x7FFFFFA1", std::nullopt },
        LineCase { "HexPort", "0x3 0x7FFFFFA1", std::nullopt },
        LineCase { "NegativePort", "-3 0x7FFFFFA1", std::nullopt },
        LineCase { "PlusSign", "+3 0x7FFFFFA1", std::nullopt },
        LineCase { "NegativeCode", "3 -1", std::nullopt },
        LineCase { "PrefixWithoutDigits", "3 0x", std::nullopt },
        LineCase { "CodeAbove32Bits", "3 0x100000000", std::nullopt },
        LineCase { "DecimalCodeAbove32Bits", "3 4294967296", std::nullopt },
        LineCase { "TrailingLetters", "3 0x7FFFFFA1zz", std::nullopt },
        LineCase { "CommaSeparated", "3,0x7FFFFFA1", std::nullopt },
        LineCase { "EmbeddedZeroByte", QByteArray("3 0x7FFF\0FFA1", 13), std::nullopt },
        LineCase { "NonAsciiByte", "3 0x7FFFFFA1\xff", std::nullopt }),
    [](const ::testing::TestParamInfo<LineCase>& c) { return std::string(c.param.name); });

TEST(HandoverLineFormat, WhatASenderWritesParsesBackToTheSameMessage)
{
    for (const HandoverMessage message : { HandoverMessage { 1, 0x7FFFFFA1 }, HandoverMessage { 255, 0x7FFFFFA4 },
             HandoverMessage { 42, 0 }, HandoverMessage { 7, 0xFFFFFFFF } }) {
        const QByteArray line = FormatHandoverLine(message);
        ASSERT_TRUE(line.endsWith('\n'));
        EXPECT_EQ(ParseHandoverLine(QByteArrayView(line).chopped(1)), message) << line.toStdString();
    }
}

TEST(HandoverSocketName, IsPrivateToTheUser)
{
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    TempFolder runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    EXPECT_EQ(HandoverSocketName(), runtime.path() + "/velmor-handover");

    // Without a runtime folder (or with a relative one) the user id keeps users apart in the
    // shared temp folder.
    for (const char* value : { "", "relative/run" }) {
        qputenv("XDG_RUNTIME_DIR", value);
        const QString name = HandoverSocketName();
        EXPECT_TRUE(name.startsWith(QDir::tempPath() + "/")) << name.toStdString();
        EXPECT_TRUE(name.endsWith("-" + QString::number(getuid()))) << name.toStdString();
    }
    qputenv("XDG_RUNTIME_DIR", saved);
}

// A listener on a name in a folder of the test's own.
class HandoverListenerTest : public ::testing::Test {
protected:
    QString Name() const { return folder.file("handover.sock"); }

    // Connects a raw client, for writes that a well-behaved sender would not make.
    std::unique_ptr<QLocalSocket> Client()
    {
        auto socket = std::make_unique<QLocalSocket>();
        socket->connectToServer(Name());
        EXPECT_TRUE(socket->waitForConnected(kHangGuardMs)) << socket->errorString().toStdString();
        return socket;
    }

    static void Write(QLocalSocket& socket, const QByteArray& bytes)
    {
        socket.write(bytes);
        while (socket.bytesToWrite() > 0 && socket.waitForBytesWritten(kHangGuardMs)) {
        }
    }

    // Runs the event loop until the listener has dropped the client.
    static bool DroppedByListener(QLocalSocket& socket)
    {
        QElapsedTimer guard;
        guard.start();
        while (socket.state() != QLocalSocket::UnconnectedState && guard.elapsed() < kHangGuardMs) {
            QCoreApplication::processEvents();
            socket.waitForDisconnected(10);
        }
        return socket.state() == QLocalSocket::UnconnectedState;
    }

    static bool Send(const QString& name, HandoverMessage message)
    {
        QString error;
        const bool sent = SendHandoverMessage(name, message, error);
        EXPECT_TRUE(sent) << error.toStdString();
        return sent;
    }

    static HandoverMessage At(const QSignalSpy& spy, int index)
    {
        return { spy.at(index).at(0).toInt(), spy.at(index).at(1).value<quint32>() };
    }

    TempFolder folder;
};

TEST_F(HandoverListenerTest, DeliversWhatASenderSendsAndRemovesItsNameWhenClosed)
{
    HandoverListener listener;
    ASSERT_EQ(listener.Listen(Name()), HandoverListenResult::Listening) << listener.ErrorText().toStdString();
    EXPECT_EQ(listener.FullName(), Name());
    QSignalSpy spy(&listener, &HandoverListener::MessageReceived);

    ASSERT_TRUE(Send(Name(), { 3, 0x7FFFFFA1 }));
    ASSERT_TRUE(Send(Name(), { 12, 0x7FFFFFA4 }));
    while (spy.count() < 2 && spy.wait(kHangGuardMs)) {
    }
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(At(spy, 0), (HandoverMessage { 3, 0x7FFFFFA1 }));
    EXPECT_EQ(At(spy, 1), (HandoverMessage { 12, 0x7FFFFFA4 }));

    listener.Close();
    EXPECT_FALSE(QFile::exists(Name()));
    QString error;
    EXPECT_FALSE(SendHandoverMessage(Name(), { 3, 0x7FFFFFA1 }, error));
    EXPECT_TRUE(error.contains(Name())) << error.toStdString();
}

TEST_F(HandoverListenerTest, ReadsSeveralLinesInPiecesAndSkipsMalformedOnes)
{
    HandoverListener listener;
    ASSERT_EQ(listener.Listen(Name()), HandoverListenResult::Listening);
    QSignalSpy spy(&listener, &HandoverListener::MessageReceived);

    // Byte by byte, each byte given its own chance to arrive alone, so every line is cut at every
    // place; the final line has no line end yet and must not count.
    const QByteArray stream = "3 0x7FFFFFA1\nnot a message\n\n300 0x7FFFFFA1\n4 2147483556\r\n5 0x7FFFFFA2";
    auto client = Client();
    for (char byte : stream) {
        Write(*client, QByteArray(1, byte));
        QCoreApplication::processEvents();
    }
    while (spy.count() < 2 && spy.wait(kHangGuardMs)) {
    }
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(At(spy, 0), (HandoverMessage { 3, 0x7FFFFFA1 }));
    EXPECT_EQ(At(spy, 1), (HandoverMessage { 4, 0x7FFFFFA4 }));

    // A line cut off by the sender's close is not a message.
    client->disconnectFromServer();
    ASSERT_TRUE(DroppedByListener(*client));
    EXPECT_FALSE(spy.wait(200));
    EXPECT_EQ(spy.count(), 2);
    // The connection that broke off did not harm the listener.
    ASSERT_TRUE(Send(Name(), { 6, 0x7FFFFFA1 }));
    ASSERT_TRUE(spy.wait(kHangGuardMs));
    EXPECT_EQ(At(spy, 2), (HandoverMessage { 6, 0x7FFFFFA1 }));
}

TEST_F(HandoverListenerTest, DropsAConnectionThatSendsAnOverlongLine)
{
    HandoverListener listener;
    ASSERT_EQ(listener.Listen(Name()), HandoverListenResult::Listening);
    QSignalSpy spy(&listener, &HandoverListener::MessageReceived);

    // No line end at all: the listener must not wait for one forever, collecting bytes.
    auto endless = Client();
    Write(*endless, QByteArray(kHandoverMaxLineBytes + 1, '1'));
    EXPECT_TRUE(DroppedByListener(*endless));

    // The line before the overlong one counts; nothing after it does.
    auto chatty = Client();
    Write(*chatty, "3 0x7FFFFFA1\n" + QByteArray(kHandoverMaxLineBytes + 1, ' ') + "\n4 0x7FFFFFA1\n");
    EXPECT_TRUE(DroppedByListener(*chatty));
    QCoreApplication::processEvents();
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(At(spy, 0), (HandoverMessage { 3, 0x7FFFFFA1 }));

    // The longest line allowed is still one message.
    auto longest = Client();
    Write(*longest, kLongestLine + "\n");
    ASSERT_TRUE(spy.wait(kHangGuardMs));
    EXPECT_EQ(At(spy, 1), (HandoverMessage { 3, 0x7FFFFFA1 }));
    EXPECT_EQ(longest->state(), QLocalSocket::ConnectedState);
}

// What a crashed instance leaves: a socket file that nobody listens on.
void LeaveStaleSocketFile(const QString& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const QByteArray encoded = QFile::encodeName(path);
    ASSERT_LT(std::size_t(encoded.size()), sizeof(address.sun_path));
    std::memcpy(address.sun_path, encoded.constData(), std::size_t(encoded.size()));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0) << std::strerror(errno);
    ::close(fd);
}

TEST_F(HandoverListenerTest, TakesOverTheSocketFileOfACrashedInstance)
{
    LeaveStaleSocketFile(Name());
    ASSERT_TRUE(QFile::exists(Name()));
    ASSERT_FALSE(HandoverServerAnswers(Name(), 1000));

    HandoverListener listener;
    ASSERT_EQ(listener.Listen(Name()), HandoverListenResult::Listening) << listener.ErrorText().toStdString();
    QSignalSpy spy(&listener, &HandoverListener::MessageReceived);
    ASSERT_TRUE(Send(Name(), { 9, 0x7FFFFFA1 }));
    ASSERT_TRUE(spy.wait(kHangGuardMs));
    EXPECT_EQ(At(spy, 0), (HandoverMessage { 9, 0x7FFFFFA1 }));
}

TEST_F(HandoverListenerTest, NeverDeletesAFileThatIsNoSocket)
{
    // A mistyped --socket that names the user's data.
    const QString path = folder.write("handover.sock", "precious");
    HandoverListener listener;
    EXPECT_EQ(listener.Listen(path), HandoverListenResult::Failed);
    EXPECT_FALSE(listener.ErrorText().isEmpty());
    EXPECT_EQ(folder.read("handover.sock"), QByteArray("precious"));
}

TEST_F(HandoverListenerTest, ASecondInstanceLeavesTheNameToTheFirst)
{
    HandoverListener first;
    ASSERT_EQ(first.Listen(Name()), HandoverListenResult::Listening);
    QSignalSpy toFirst(&first, &HandoverListener::MessageReceived);

    HandoverListener second;
    EXPECT_EQ(second.Listen(Name()), HandoverListenResult::Busy);
    EXPECT_FALSE(second.IsListening());
    QSignalSpy toSecond(&second, &HandoverListener::MessageReceived);

    // The first still owns the name: its socket file was not replaced.
    ASSERT_TRUE(Send(Name(), { 3, 0x7FFFFFA1 }));
    ASSERT_TRUE(toFirst.wait(kHangGuardMs));
    EXPECT_EQ(toFirst.count(), 1);
    EXPECT_EQ(At(toFirst, 0), (HandoverMessage { 3, 0x7FFFFFA1 }));
    EXPECT_EQ(toSecond.count(), 0);

    // Once the first has gone, the name is free again.
    first.Close();
    EXPECT_EQ(second.Listen(Name()), HandoverListenResult::Listening);
}

} // namespace
