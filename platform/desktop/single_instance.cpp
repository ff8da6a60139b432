#include "platform/desktop/single_instance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QTimer>

#include <optional>

#include <unistd.h>

namespace pw::platform {

namespace {

constexpr char request_word[] = "START";
constexpr char answer[] = "OK\n";
// A running Pellworks answers from its event loop at once; one that does not within
// this time is not going to.
constexpr int answer_wait_ms = 1000;
// A peer that connects and sends no whole request is dropped after this.
constexpr int request_wait_ms = 3000;

QByteArray request_for(const QStringList& arguments)
{
    QByteArray line = request_word;
    for (const QString& a : arguments) line += ' ' + a.toUtf8().toBase64();
    return line + '\n';
}

// The arguments of a request line; nothing when it is not one.
std::optional<QStringList> arguments_of(const QByteArray& line)
{
    const QList<QByteArray> words = line.trimmed().split(' ');
    if (words.value(0) != request_word) return std::nullopt;
    QStringList arguments;
    for (qsizetype i = 1; i < words.size(); ++i) {
        const auto decoded = QByteArray::fromBase64Encoding(words[i], QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded) return std::nullopt;
        arguments << QString::fromUtf8(*decoded);
    }
    return arguments;
}

void drop(QLocalSocket* socket)
{
    socket->abort();
    socket->deleteLater();
}

}  // namespace

QString SingleInstance::default_name()
{
    const QString given = qEnvironmentVariable("PELLWORKS_INSTANCE");
    if (!given.isEmpty()) return QStringLiteral("pellworks-") + given;
    const QByteArray home = qgetenv("PELLWORKS_HOME");
    QString name = QStringLiteral("pellworks-%1").arg(getuid());
    if (!home.isEmpty())
        name += QLatin1Char('-') + QString::fromLatin1(QCryptographicHash::hash(home, QCryptographicHash::Sha1).toHex().left(12));
    return name;
}

QString SingleInstance::socket_path(const QString& name)
{
    // Qt hands out the runtime folder only when it is the user's own with mode 0700.
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return folder.isEmpty() ? QString() : folder + QLatin1Char('/') + QString(name).replace(QLatin1Char('/'), QLatin1Char('_'));
}

SingleInstance::SingleInstance(QString name, QObject* parent) : QObject(parent), path_(socket_path(name)) {}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::claim(const QStringList& arguments)
{
    // Without a private folder there is no safe place for the socket: run unguarded.
    if (path_.isEmpty()) return true;
    if (QFileInfo::exists(path_)) {
        QLocalSocket socket;
        socket.connectToServer(path_);
        const QDeadlineTimer deadline(answer_wait_ms);
        if (socket.waitForConnected(answer_wait_ms)) {
            socket.write(request_for(arguments));
            while (!socket.canReadLine() && !deadline.hasExpired() && socket.state() == QLocalSocket::ConnectedState)
                socket.waitForReadyRead(int(deadline.remainingTime()));
            if (socket.canReadLine() && socket.readLine() == answer) return false;
        }
        // Left behind by a crash, or held by something that does not answer.
        QLocalServer::removeServer(path_);
    }
    // A socket that cannot be made must not keep the program from starting either.
    listen();
    return true;
}

bool SingleInstance::listen()
{
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(path_)) {
        delete server_;
        server_ = nullptr;
        return false;
    }
    connect(server_, &QLocalServer::newConnection, this, [this] { answer_next(); });
    return true;
}

void SingleInstance::answer_next()
{
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        // Never more than one request is held, however much a peer sends.
        socket->setReadBufferSize(max_request_bytes);
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { read_request(socket); });
        QTimer::singleShot(request_wait_ms, socket, [socket] { drop(socket); });
        read_request(socket);
    }
}

void SingleInstance::read_request(QLocalSocket* socket)
{
    if (socket->state() != QLocalSocket::ConnectedState) return;
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() >= max_request_bytes) drop(socket);
        return;
    }
    const std::optional<QStringList> arguments = arguments_of(socket->readLine(max_request_bytes));
    if (!arguments) {
        drop(socket);
        return;
    }
    socket->write(answer);
    socket->disconnectFromServer();
    // From the event loop: what the program does with it may take a while.
    QMetaObject::invokeMethod(this, [this, a = *arguments] { Q_EMIT command_line_received(a); }, Qt::QueuedConnection);
}

}  // namespace pw::platform
