#pragma once
// One Pellworks per user: the first start listens on a local socket in the abstract
// namespace (the kernel makes taking the name atomic, and a crash leaves nothing
// behind); a later start finds it there, asks it to come to the front and ends.

#include <QObject>
#include <QString>

class QLocalServer;

namespace pw::platform {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // PELLWORKS_INSTANCE when set (tests running side by side each take their own);
    // otherwise the user's id together with the child's folder (PELLWORKS_HOME).
    static QString default_name();

    explicit SingleInstance(QString name, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this is the only instance (it listens from now on). False when another
    // one holds the name; that one has been asked to come to the front.
    bool claim();

Q_SIGNALS:
    // Another start asked this instance to come to the front.
    void raise_wanted();

private:
    void answer_next();

    QString name_;
    QLocalServer* server_ = nullptr;
};

}  // namespace pw::platform
