#include "platform/handover_socket.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>

#include <charconv>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace
{

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// A whole token as an unsigned number of at most 32 bits: decimal, or hex after "0x"/"0X".
std::optional<std::uint32_t> ParseNumber(QByteArrayView token, bool hexAllowed)
{
    int base = 10;
    if (hexAllowed && token.size() > 2 && token[0] == '0' && (token[1] == 'x' || token[1] == 'X')) {
        token = token.sliced(2);
        base = 16;
    }
    if (token.isEmpty())
        return std::nullopt;
    // from_chars takes no sign and no blanks for an unsigned type, so the token is digits only.
    std::uint64_t value = 0;
    const char* end = token.data() + token.size();
    const auto [stop, error] = std::from_chars(token.data(), end, value, base);
    if (error != std::errc() || stop != end || value > 0xFFFFFFFFu)
        return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

#ifndef _WIN32
// The file a Unix local socket name stands for: a full path as it is, a bare name in the temp folder.
QString SocketPath(const QString& name)
{
    return QDir::isAbsolutePath(name) ? name : QDir::tempPath() + QLatin1Char('/') + name;
}
#endif

// Whether something other than a socket sits where the name's socket file would go. Listening
// replaces whatever file is there, so a mistyped name must never reach it: on Unix only a socket
// file (a leftover of ours) may be replaced, never a regular file, a folder or a link.
bool OccupiedByOtherFile(const QString& name)
{
#ifdef _WIN32
    Q_UNUSED(name);
    return false;
#else
    struct stat info {};
    if (::lstat(QFile::encodeName(SocketPath(name)).constData(), &info) != 0)
        return false;
    return !S_ISSOCK(info.st_mode);
#endif
}

} // namespace

std::optional<HandoverMessage> ParseHandoverLine(QByteArrayView line)
{
    if (line.endsWith('\r'))
        line.chop(1);
    if (line.size() > kHandoverMaxLineBytes)
        return std::nullopt;

    std::vector<QByteArrayView> tokens;
    qsizetype i = 0;
    while (i < line.size()) {
        while (i < line.size() && IsBlank(line[i]))
            ++i;
        const qsizetype start = i;
        while (i < line.size() && !IsBlank(line[i]))
            ++i;
        if (i > start)
            tokens.push_back(line.sliced(start, i - start));
    }
    if (tokens.size() != 2)
        return std::nullopt;

    const std::optional<std::uint32_t> port = ParseNumber(tokens[0], false);
    const std::optional<std::uint32_t> code = ParseNumber(tokens[1], true);
    if (!port || !code || *port < 1 || *port > kHandoverMaxPort)
        return std::nullopt;
    return HandoverMessage { static_cast<int>(*port), *code };
}

QByteArray FormatHandoverLine(const HandoverMessage& message)
{
    return QByteArray::number(message.port) + " 0x" + QByteArray::number(message.code, 16).toUpper() + '\n';
}

QString HandoverSocketName()
{
#ifdef _WIN32
    // Pipe names share one namespace per machine; the user name keeps two users' instances apart.
    QString user = qEnvironmentVariable("USERNAME");
    for (QChar& c : user)
        if (!c.isLetterOrNumber() && c != QLatin1Char('-') && c != QLatin1Char('_') && c != QLatin1Char('.'))
            c = QLatin1Char('_');
    return QStringLiteral("velmor-handover-") + user;
#else
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime) && QFileInfo(runtime).isDir())
        return QDir(runtime).filePath(QStringLiteral("velmor-handover"));
    return QDir::tempPath() + QStringLiteral("/velmor-handover-") + QString::number(::getuid());
#endif
}

bool HandoverServerAnswers(const QString& name, int timeoutMs)
{
    QLocalSocket probe;
    probe.connectToServer(name);
    const bool answers = probe.waitForConnected(timeoutMs);
    probe.abort();
    return answers;
}

bool SendHandoverMessage(const QString& name, const HandoverMessage& message, QString& error, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(timeoutMs)) {
        // Qt's own texts for the two usual cases ("Invalid name", "Connection refused") do not say
        // what they mean here.
        QString reason = socket.errorString();
        if (socket.error() == QLocalSocket::ServerNotFoundError)
            reason = QStringLiteral("there is no such socket");
        else if (socket.error() == QLocalSocket::ConnectionRefusedError)
            reason = QStringLiteral("nobody answers on it");
        error = QStringLiteral("no Velmor listens on %1 (%2)").arg(name, reason);
        return false;
    }
    const QByteArray line = FormatHandoverLine(message);
    if (socket.write(line) != line.size()) {
        error = QStringLiteral("cannot write to %1 (%2)").arg(name, socket.errorString());
        return false;
    }
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(timeoutMs)) {
            error = QStringLiteral("cannot write to %1 (%2)").arg(name, socket.errorString());
            return false;
        }
    }
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(timeoutMs);
    return true;
}

HandoverListener::HandoverListener(QObject* parent)
    : QObject(parent)
    , m_server(new QLocalServer(this))
{
    // Only this user may connect: another user must not be able to take the port away.
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &HandoverListener::AcceptPending);
}

HandoverListener::~HandoverListener()
{
    Close();
}

HandoverListenResult HandoverListener::Listen(const QString& name)
{
    Close();
    m_error.clear();
    // Asked before listening, so that a live instance keeps its name on every system: a Windows
    // pipe name can be opened twice, and on Unix listening with access options puts the new socket
    // file in place of the old one.
    if (HandoverServerAnswers(name, kProbeTimeoutMs)) {
        m_error = QStringLiteral("another instance listens on %1").arg(name);
        return HandoverListenResult::Busy;
    }
    if (OccupiedByOtherFile(name)) {
        m_error = QStringLiteral("cannot listen on %1 (a file that is no socket is in the way)").arg(name);
        return HandoverListenResult::Failed;
    }
    if (m_server->listen(name))
        return HandoverListenResult::Listening;
    if (m_server->serverError() == QAbstractSocket::AddressInUseError) {
        // Nobody answered: the socket file is what a crashed instance left behind.
        QLocalServer::removeServer(name);
        if (m_server->listen(name))
            return HandoverListenResult::Listening;
    }
    m_error = QStringLiteral("cannot listen on %1 (%2)").arg(name, m_server->errorString());
    return HandoverListenResult::Failed;
}

void HandoverListener::Close()
{
    while (!m_pending.empty())
        Drop(m_pending.begin()->first);
    m_server->close();
}

bool HandoverListener::IsListening() const
{
    return m_server->isListening();
}

QString HandoverListener::FullName() const
{
    return m_server->isListening() ? m_server->fullServerName() : QString();
}

void HandoverListener::AcceptPending()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        if (int(m_pending.size()) >= kMaxConnections) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        m_pending.emplace(socket, QByteArray());
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { ReadFrom(socket); });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
            // A sender may write its line and close at once: take what is still buffered.
            QPointer<HandoverListener> alive(this);
            ReadFrom(socket);
            if (alive && m_pending.count(socket))
                Drop(socket);
        });
        if (socket->bytesAvailable() > 0)
            ReadFrom(socket);
    }
}

void HandoverListener::ReadFrom(QLocalSocket* socket)
{
    const auto found = m_pending.find(socket);
    if (found == m_pending.end())
        return;
    QByteArray& buffer = found->second;
    buffer += socket->readAll();

    // The lines are taken out of the buffer before anyone hears of them: a receiver that runs an
    // event loop of its own may bring this connection's next bytes in before it returns.
    std::vector<HandoverMessage> messages;
    bool overlong = false;
    qsizetype start = 0;
    for (;;) {
        const qsizetype end = buffer.indexOf('\n', start);
        if (end < 0)
            break;
        if (end - start > kHandoverMaxLineBytes) {
            overlong = true;
            break;
        }
        if (const std::optional<HandoverMessage> message = ParseHandoverLine(QByteArrayView(buffer).sliced(start, end - start)))
            messages.push_back(*message);
        start = end + 1;
    }
    buffer.remove(0, start);
    if (overlong || buffer.size() > kHandoverMaxLineBytes)
        Drop(socket);

    QPointer<HandoverListener> alive(this);
    for (const HandoverMessage& message : messages) {
        if (!alive || !m_server->isListening())
            return;
        emit MessageReceived(message.port, message.code);
    }
}

void HandoverListener::Drop(QLocalSocket* socket)
{
    m_pending.erase(socket);
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}
