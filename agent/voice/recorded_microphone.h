#pragma once
// A wave file standing in for the microphone: every opening hears the recording from
// its start, at the pace it was recorded, and silence after it.

#include "agent/voice/microphone.h"

#include <QElapsedTimer>
#include <QString>
#include <QTimer>

namespace pw::voice {

class RecordedMicrophone : public Microphone {
    Q_OBJECT
public:
    explicit RecordedMicrophone(const QString& wav_path);

    void open() override;
    void close() override;

private:
    void load();
    void deliver_due();

    QString path_;
    bool loaded_ = false;
    bool readable_ = false;
    QByteArray recording_;  // 16 kHz mono, native qint16
    QTimer pace_;
    QElapsedTimer since_open_;
    qint64 delivered_ = 0;  // samples since open()
};

}  // namespace pw::voice
