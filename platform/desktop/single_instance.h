#pragma once
// One Pellworks per user: the first start listens on a local socket file in the user's
// runtime folder, which only the user can reach; a later start finds it there, hands
// over its command line and ends. A socket that nobody answers on within a second (a
// hung program, or anything else holding the name) does not keep Pellworks from
// starting: the new start takes the name over.

#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;
class QLocalSocket;

namespace pw::platform {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // PELLWORKS_INSTANCE when set (tests running side by side each take their own);
    // otherwise the user's id together with the child's folder (PELLWORKS_HOME).
    static QString default_name();
    // The socket file for a name: in the user's runtime folder; empty when there is
    // no such folder that is the user's alone.
    static QString socket_path(const QString& name);

    explicit SingleInstance(QString name, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this is the only instance (it listens from now on). False when another
    // one answered; it has been handed `arguments` (the program's arguments without
    // its own path).
    bool claim(const QStringList& arguments);

    // The longest request a later start may send; a longer one is cut off.
    static constexpr qint64 max_request_bytes = 64 * 1024;

Q_SIGNALS:
    // Another start handed over its arguments (empty for a plain start).
    void command_line_received(const QStringList& arguments);

private:
    void answer_next();
    void read_request(QLocalSocket* socket);
    bool listen();

    QString path_;
    QLocalServer* server_ = nullptr;
};

}  // namespace pw::platform
