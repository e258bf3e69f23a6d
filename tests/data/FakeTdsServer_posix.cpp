#include "FakeTdsServer.h"

#include <QString>
#include <QtEndian>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace corvel::test {

namespace {

enum PacketType : char
{
    kSqlBatch = 1,
    kRpc = 3,
    kReply = 4,
    kAttention = 6,
    kTransaction = 14,
    kLogin7 = 16,
    kPreLogin = 18
};

constexpr quint16 kDoneAttention = 0x20;

QByteArray utf16(const QString &text)
{
    return QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
}

// Waits at most 100 ms for data, so the thread notices when it is to stop.
bool readable(int fd)
{
    pollfd entry{fd, POLLIN, 0};
    return ::poll(&entry, 1, 100) > 0;
}

// Reads exactly `size` bytes; false when the peer closed or `stop` was set.
bool readExactly(int fd, char *data, qsizetype size, const std::atomic<bool> &stop)
{
    while (size > 0) {
        if (stop)
            return false;
        if (!readable(fd))
            continue;
        const ssize_t got = ::recv(fd, data, size_t(size), 0);
        if (got <= 0)
            return false;
        data += got;
        size -= got;
    }
    return true;
}

// One message: the packets up to the one marked last. Empty type when the link is gone.
struct Message
{
    char type = 0;
    QByteArray payload;
};

Message readMessage(int fd, const std::atomic<bool> &stop)
{
    Message message;
    for (;;) {
        char header[8];
        if (!readExactly(fd, header, sizeof header, stop))
            return {};
        const quint16 length = qFromBigEndian<quint16>(header + 2);
        if (length < sizeof header)
            return {};
        QByteArray body(length - qsizetype(sizeof header), '\0');
        if (!readExactly(fd, body.data(), body.size(), stop))
            return {};
        message.type = header[0];
        message.payload += body;
        if (header[1] & 1)
            return message;
    }
}

// What a request asks for, as text to look for the stall marker in: a statement's own text
// (UTF-16LE), or the name of a transaction manager request.
QByteArray requestText(const Message &message)
{
    if (message.type != kTransaction)
        return message.payload;
    if (message.payload.size() < 4)
        return {};
    const auto headers = qsizetype(qFromLittleEndian<quint32>(message.payload.constData()));
    if (message.payload.size() < headers + 2)
        return {};
    switch (qFromLittleEndian<quint16>(message.payload.constData() + headers)) {
    case 5:
        return utf16(QStringLiteral("BEGIN"));
    case 7:
        return utf16(QStringLiteral("COMMIT"));
    case 8:
        return utf16(QStringLiteral("ROLLBACK"));
    default:
        return {};
    }
}

void sendReply(int fd, const QByteArray &payload)
{
    QByteArray packet(8, '\0');
    packet[0] = kReply;
    packet[1] = 1; // last packet of the message
    qToBigEndian<quint16>(quint16(packet.size() + payload.size()), packet.data() + 2);
    packet[6] = 1;
    packet += payload;
    ::send(fd, packet.constData(), size_t(packet.size()), MSG_NOSIGNAL);
}

QByteArray littleEndian16(quint16 value)
{
    QByteArray bytes(2, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

QByteArray shortText(const QString &text)
{
    return char(text.size()) + utf16(text);
}

QByteArray done(quint16 status = 0)
{
    return '\xfd' + littleEndian16(status) + littleEndian16(0) + QByteArray(8, '\0');
}

// Version 15.0.2000, and no encryption.
QByteArray preLoginReply()
{
    return QByteArray::fromHex("00000b0006"
                               "0100110001"
                               "ff"
                               "0f0007d00000"
                               "02");
}

QByteArray loginReply()
{
    const QByteArray database =
        '\x01' + shortText(QStringLiteral("CorvelHR")) + shortText(QStringLiteral("master"));
    const QByteArray acknowledgement = '\x01' + QByteArray::fromHex("74000004") +
                                       shortText(QStringLiteral("Fake")) +
                                       QByteArray::fromHex("0f0007d0");
    return '\xe3' + littleEndian16(quint16(database.size())) + database + '\xad' +
           littleEndian16(quint16(acknowledgement.size())) + acknowledgement + done();
}

} // namespace

FakeTdsServer::FakeTdsServer(const QByteArray &stallMarker)
    : m_marker(utf16(QString::fromLatin1(stallMarker)))
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 &&
        ::listen(fd, 8) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) == 0) {
        m_listener = fd;
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { serve(); });
    } else if (fd >= 0) {
        ::close(fd);
    }
}

FakeTdsServer::~FakeTdsServer()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    if (m_listener >= 0)
        ::close(m_listener);
}

void FakeTdsServer::serve()
{
    while (!m_stop) {
        if (!readable(m_listener))
            continue;
        const int client = ::accept(m_listener, nullptr, nullptr);
        if (client < 0)
            continue;
        converse(client);
        ::close(client);
    }
}

void FakeTdsServer::converse(int client)
{
    for (;;) {
        const Message message = readMessage(client, m_stop);
        switch (message.type) {
        case kPreLogin:
            sendReply(client, preLoginReply());
            break;
        case kLogin7:
            sendReply(client, loginReply());
            break;
        case kAttention:
            ++m_cancels;
            sendReply(client, done(kDoneAttention));
            break;
        case kSqlBatch:
        case kRpc:
        case kTransaction:
            if (requestText(message).contains(m_marker))
                ++m_stalled;
            else
                sendReply(client, done());
            break;
        case 0:
            return;
        default:
            sendReply(client, done());
            break;
        }
    }
}

} // namespace corvel::test
