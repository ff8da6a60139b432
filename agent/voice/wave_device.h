#pragma once
// The wave device: plays one wave file and says when it is done. Scripts wait on it
// for their `sound` lines. Without a sound device the file still "plays" silently for
// its length, so a script waits exactly as long as it would with speakers.

#include <QObject>
#include <QString>

#include <memory>

namespace pw::voice {

class AudioOutput;

class WaveDevice : public QObject {
    Q_OBJECT
public:
    explicit WaveDevice(QObject* parent = nullptr);
    ~WaveDevice() override;

    // Plays the file (PCM or ADPCM wave). A file that cannot be read or decoded is
    // reported with a warning naming it, and done() follows from the event loop, so
    // whoever waits for the sound is never left hanging. A running sound is stopped
    // first, without its done().
    void play(const QString& path);
    // Stops playing; no done() for the stopped sound.
    void stop();
    bool is_playing() const;
    QString file_name() const { return file_name_; }

Q_SIGNALS:
    void done();

private:
    void report_unplayable();

    std::unique_ptr<AudioOutput> output_;
    QString file_name_;
    // Counts plays, so a queued "done" of a stopped or replaced file is dropped.
    quint64 generation_ = 0;
    bool failed_pending_ = false;
};

}  // namespace pw::voice
