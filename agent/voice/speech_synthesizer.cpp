#include "agent/voice/speech_synthesizer.h"

#include "agent/voice/espeak_engine.h"
#include "agent/voice/estimated_speech.h"

#include <QMetaObject>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <thread>
#include <unordered_set>

namespace pw::voice {

// The last sentence spoken, kept on the worker thread: a wait's reminder repeats
// one sentence every few seconds, and synthesizing it again was most of a waiting
// run's CPU. The audio is shared with the clips handed out; a clip over half a
// megabyte (twelve seconds of speech) is not kept.
class RecentClips {
public:
    std::optional<SpeechClip> find(const QString& text, const VoiceSettings& voice) const
    {
        for (const Entry& e : entries_)
            if (e.clip.text == text && same_voice(e.voice, voice)) return e.clip;
        return std::nullopt;
    }

    void keep(const VoiceSettings& voice, const SpeechClip& clip)
    {
        if (clip.audio.samples.size() > kept_bytes) return;
        if (entries_.size() == size_t(kept_sentences)) entries_.pop_front();
        entries_.push_back(Entry{voice, clip});
    }

private:
    static constexpr int kept_sentences = 1;
    static constexpr qsizetype kept_bytes = 512 * 1024;

    struct Entry {
        VoiceSettings voice;
        SpeechClip clip;
    };

    static bool same_voice(const VoiceSettings& a, const VoiceSettings& b)
    {
        return a.voice == b.voice && a.rate == b.rate && a.pitch == b.pitch;
    }

    std::deque<Entry> entries_;
};

// The thread that talks to espeak-ng, and the bookkeeping of tickets. Jobs run in the
// order they were queued, whichever thread queued them.
class SynthesisWorker {
public:
    using Deliver = std::function<void(int ticket, SpeechClip clip)>;

    explicit SynthesisWorker(Deliver deliver)
        : deliver_(std::move(deliver)), available_(initialised_.get_future().share())
    {
        thread_ = std::thread([this] { run(); });
    }

    ~SynthesisWorker()
    {
        {
            std::lock_guard guard(lock_);
            stopping_ = true;
            if (running_is_async_) abort_running_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }

    bool available() const { return available_.get(); }

    int request(const QString& text, const VoiceSettings& voice)
    {
        std::lock_guard guard(lock_);
        const int ticket = next_ticket_++;
        outstanding_.insert(ticket);
        jobs_.push_back(Job{ticket, text, voice, {}});
        wake_.notify_one();
        return ticket;
    }

    SpeechClip synthesize(const QString& text, const VoiceSettings& voice)
    {
        auto reply = std::make_shared<std::promise<SpeechClip>>();
        std::future<SpeechClip> result = reply->get_future();
        {
            std::lock_guard guard(lock_);
            jobs_.push_back(Job{0, text, voice, reply});
        }
        wake_.notify_one();
        return result.get();
    }

    void cancel(int ticket)
    {
        std::lock_guard guard(lock_);
        if (!outstanding_.erase(ticket)) return;
        std::erase_if(jobs_, [ticket](const Job& j) { return j.ticket == ticket; });
        if (running_ticket_ == ticket) abort_running_ = true;
    }

    // True once for a ticket that is still wanted; its result may be handed out.
    bool claim(int ticket)
    {
        std::lock_guard guard(lock_);
        return outstanding_.erase(ticket) > 0;
    }

private:
    struct Job {
        int ticket = 0;  // 0 for a synchronous job
        QString text;
        VoiceSettings voice;
        std::shared_ptr<std::promise<SpeechClip>> reply;
    };

    void run()
    {
        initialised_.set_value(espeak::initialise());
        for (;;) {
            Job job;
            {
                std::unique_lock guard(lock_);
                wake_.wait(guard, [this] { return stopping_ || !jobs_.empty(); });
                if (stopping_) {
                    // Nobody waits for queued requests any more; synchronous callers do.
                    std::erase_if(jobs_, [](const Job& j) { return !j.reply; });
                    if (jobs_.empty()) return;
                }
                job = std::move(jobs_.front());
                jobs_.pop_front();
                running_ticket_ = job.ticket;
                running_is_async_ = !job.reply;
                abort_running_ = false;
            }
            std::optional<SpeechClip> clip = recent_.find(job.text, job.voice);
            if (!clip) {
                clip = espeak::synthesize(job.text, job.voice, &abort_running_);
                if (clip) recent_.keep(job.voice, *clip);
            }
            bool aborted = false;
            {
                std::lock_guard guard(lock_);
                running_ticket_ = 0;
                running_is_async_ = false;
                aborted = abort_running_.exchange(false);
            }
            if (aborted) continue;  // only queued requests are ever aborted
            if (!clip) clip = estimated_clip(job.text, job.voice);
            if (job.reply)
                job.reply->set_value(std::move(*clip));
            else
                deliver_(job.ticket, std::move(*clip));
        }
    }

    Deliver deliver_;
    RecentClips recent_;  // only the worker thread touches it
    std::promise<bool> initialised_;
    std::shared_future<bool> available_;
    std::mutex lock_;
    std::condition_variable wake_;
    std::deque<Job> jobs_;
    std::unordered_set<int> outstanding_;
    int next_ticket_ = 1;
    int running_ticket_ = 0;
    bool running_is_async_ = false;
    std::atomic<bool> abort_running_{false};
    bool stopping_ = false;
    std::thread thread_;
};

SpeechSynthesizer::SpeechSynthesizer(QObject* parent)
    : QObject(parent)
{
    qRegisterMetaType<pw::voice::SpeechClip>();
    worker_ = std::make_unique<SynthesisWorker>([this](int ticket, SpeechClip clip) {
        QMetaObject::invokeMethod(
            this, [this, ticket, clip = std::move(clip)] { deliver(ticket, clip); }, Qt::QueuedConnection);
    });
}

SpeechSynthesizer::~SpeechSynthesizer() = default;

int SpeechSynthesizer::request(const QString& text, const VoiceSettings& voice)
{
    return worker_->request(text, voice);
}

void SpeechSynthesizer::cancel(int ticket)
{
    worker_->cancel(ticket);
}

SpeechClip SpeechSynthesizer::synthesize(const QString& text, const VoiceSettings& voice)
{
    return worker_->synthesize(text, voice);
}

bool SpeechSynthesizer::available() const
{
    return worker_->available();
}

void SpeechSynthesizer::deliver(int ticket, const SpeechClip& clip)
{
    if (worker_->claim(ticket)) Q_EMIT ready(ticket, clip);
}

}  // namespace pw::voice
