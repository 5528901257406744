#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>
#include <QString>

#include <cstdint>
#include <map>
#include <optional>

class QLocalServer;
class QLocalSocket;

// The local socket through which a separate tool (the maker's bootloader tool, or velmor-handover)
// borrows the serial port from a running Velmor. One ASCII line per message: "<port> <code>\n",
// the COM port number in decimal and the code in decimal or 0x-prefixed hex. Several lines may
// follow each other on one connection. There is no reply: the window applies what it understands
// and ignores the rest.

// One message as it arrived. The code is not checked here: the link ignores codes it does not know.
struct HandoverMessage {
    int port = 0;
    std::uint32_t code = 0;
    bool operator==(const HandoverMessage&) const = default;
};

// Longest line, without its '\n'. A connection that sends more than this without a line end is
// dropped; nothing a well-behaved sender writes comes close ("255 0x7FFFFFA4" is 14 bytes).
inline constexpr int kHandoverMaxLineBytes = 64;
// Highest COM port number a message may name; ports are 1 to this.
inline constexpr int kHandoverMaxPort = 255;

// Parses one line without its '\n' (a trailing '\r' is allowed, for senders that write CR LF).
// Spaces or tabs separate the two numbers; anything else, a port outside 1 to kHandoverMaxPort, or
// a code beyond 32 bits is rejected.
std::optional<HandoverMessage> ParseHandoverLine(QByteArrayView line);

// The line a sender writes for one message, with its '\n'; the code in hex.
QByteArray FormatHandoverLine(const HandoverMessage& message);

// This user's socket name. On Windows a pipe name with the user name in it; elsewhere a full path:
// "velmor-handover" in $XDG_RUNTIME_DIR (private to the user), or, when that is not set, the temp
// folder with the numeric user id in the name. The id, unlike $USER, names exactly one account, so
// two users' instances never meet.
QString HandoverSocketName();

// How starting to listen went.
enum class HandoverListenResult {
    Listening, // this instance has the name
    Busy,      // another live instance already listens on it; it keeps the name
    Failed,    // the name could not be used (no permission, path too long, a file in the way ...)
};

// Accepts connections on the window thread's event loop and emits MessageReceived for every valid
// line, between the window's other events; it never waits for a client.
class HandoverListener : public QObject
{
    Q_OBJECT
public:
    // Connections served at once; further ones are closed at once. A sender needs one for a
    // moment, so this only stops a runaway client from piling up sockets.
    static constexpr int kMaxConnections = 16;
    // How long the start-up check may wait for a live instance to answer on the name. A local
    // server answers a connect from its kernel backlog at once, so this bound is never reached in
    // practice; it only keeps a wedged system from holding the window's start-up.
    static constexpr int kProbeTimeoutMs = 500;

    explicit HandoverListener(QObject* parent = nullptr);
    ~HandoverListener() override;

    // Starts listening on `name`. A socket file left behind by a crashed instance is replaced, but
    // only when nobody answers on it: a live instance keeps its name (Busy). Any other kind of file
    // at that place is left alone (Failed).
    HandoverListenResult Listen(const QString& name);
    // Stops listening and drops every connection; no message is emitted afterwards.
    void Close();
    bool IsListening() const;
    // The full name (the socket file's path on Unix) while listening.
    QString FullName() const;
    // Why Listen failed, for the log.
    QString ErrorText() const { return m_error; }

signals:
    void MessageReceived(int port, quint32 code);

private:
    void AcceptPending();
    void ReadFrom(QLocalSocket* socket);
    void Drop(QLocalSocket* socket);

    QLocalServer* m_server = nullptr;
    // Bytes of an incomplete line per connection.
    std::map<QLocalSocket*, QByteArray> m_pending;
    QString m_error;
};

// Whether a live server answers on `name` within timeoutMs.
bool HandoverServerAnswers(const QString& name, int timeoutMs);

// Sends one message to the instance listening on `name` and waits until it has been handed to the
// system. False with a reason in `error` when nobody listens or the line could not be written.
bool SendHandoverMessage(const QString& name, const HandoverMessage& message, QString& error, int timeoutMs = 3000);
