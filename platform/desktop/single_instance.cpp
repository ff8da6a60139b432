#include "platform/desktop/single_instance.h"

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

namespace pw::platform {

namespace {
constexpr char raise_request[] = "RAISE\n";
constexpr int answer_wait_ms = 2000;
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

SingleInstance::SingleInstance(QString name, QObject* parent) : QObject(parent), name_(std::move(name)) {}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::claim()
{
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::AbstractNamespaceOption);
    if (server_->listen(name_)) {
        connect(server_, &QLocalServer::newConnection, this, [this] { answer_next(); });
        return true;
    }
    const bool taken = server_->serverError() == QAbstractSocket::AddressInUseError;
    delete server_;
    server_ = nullptr;
    // A name that cannot be used for another reason must not keep the program from
    // starting: it runs without the guard.
    if (!taken) return true;

    QLocalSocket socket;
    socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    socket.connectToServer(name_);
    if (socket.waitForConnected(answer_wait_ms)) {
        socket.write(raise_request);
        socket.waitForBytesWritten(answer_wait_ms);
        socket.waitForReadyRead(answer_wait_ms);  // "OK": the other one has it
    }
    return false;
}

void SingleInstance::answer_next()
{
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) return;
            if (socket->readLine() == raise_request) Q_EMIT raise_wanted();
            socket->write("OK\n");
            socket->flush();
        });
    }
}

}  // namespace pw::platform
