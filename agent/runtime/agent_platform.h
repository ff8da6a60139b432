#pragma once
// The character platform: loads characters, hands them out by id and delivers their
// events. Every event is posted and delivered from the event loop, in the order it
// happened, never from inside the call that caused it.

#include "agent/api/agent_control.h"
#include "agent/runtime/runtime_options.h"

#include <QHash>
#include <QString>
#include <functional>
#include <map>
#include <memory>

namespace pw::acs {
struct CharacterData;
}

namespace pw::agent {

class CharacterAgent;
class CharacterView;
class RequestTracker;
struct AgentEvent;

using CharacterViewFactory = std::function<std::unique_ptr<CharacterView>()>;

class AgentPlatform : public AgentControl {
    Q_OBJECT
public:
    // make_view makes the windows of each loaded character (the desktop view in the
    // program, a recording view in tests).
    explicit AgentPlatform(CharacterViewFactory make_view, RuntimeOptions options = {},
                           QObject* parent = nullptr);
    ~AgentPlatform() override;

    // Reads the .acs file; the character starts hidden. Throws AgentError: 0x8004200B
    // when the id is taken (case ignored), or the reader's error for the file.
    Request load(const QString& id, const QString& path) override;
    // The same with a description already in memory (tools, tests).
    Request load_data(const QString& id, std::shared_ptr<const acs::CharacterData> data);
    Character* item(const QString& id) override;  // 0x80042002 when unknown
    void unload(const QString& id) override;      // unknown ids are ignored
    bool is_loaded(const QString& id) const override;

    // The concrete character, for tools and benchmarks; null when unknown.
    CharacterAgent* agent(const QString& id) const;

    // Called by characters: queues an event for delivery from the event loop.
    void post(const AgentEvent& event);

private:
    void deliver(const AgentEvent& event);
    void stop_other_listeners(CharacterAgent* listener);
    std::shared_ptr<const acs::CharacterData> read_cached(const QString& path);

    CharacterViewFactory make_view_;
    RuntimeOptions options_;
    std::unique_ptr<voice::SpeechSynthesizer> own_synthesizer_;
    std::unique_ptr<RequestTracker> tracker_;
    std::map<QString, std::unique_ptr<CharacterAgent>> characters_;  // key: id in lower case
    QHash<QString, std::weak_ptr<const acs::CharacterData>> file_cache_;
};

}  // namespace pw::agent
