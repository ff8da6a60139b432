#pragma once
// The character platform as a program sees it: the collection of loaded characters
// and the events they raise. Events are always delivered from the event loop, never
// from inside the call that caused them.

#include "agent/api/character.h"
#include "agent/api/request.h"

#include <QObject>
#include <QString>

namespace pw::agent {

// A chosen pop-up menu entry or a recognised voice command.
struct UserInput {
    QString name;          // the command's Name; empty for speech that matched no command
    QString character_id;  // the character that received it
    QString voice;         // the words heard, when spoken
    int confidence = 0;
};

// Cause values of the Move and ListenComplete events.
enum MoveCause { MovedByUser = 1, MovedByProgram = 2, MovedByOtherClient = 3, MovedByServer = 4 };
enum ListenCause {
    ListenProgramDisabled = 1, ListenTimeout = 2, ListenProgramTimedOut = 3,
    ListenUserReleasedKey = 4, ListenUserSpoke = 5, ListenClientDeactivated = 6,
    ListenDefaultCharacterChange = 7, ListenUserDisabled = 8,
};

class AgentControl : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~AgentControl() override = default;

    // Characters.Load: reads the file and adds the character (hidden). Throws AgentError.
    virtual Request load(const QString& id, const QString& path) = 0;
    // Characters.Item: throws AgentError 0x80042002 when no character has that id.
    virtual Character* item(const QString& id) = 0;
    // Characters.Unload: removes the character and its windows.
    virtual void unload(const QString& id) = 0;
    virtual bool is_loaded(const QString& id) const = 0;

Q_SIGNALS:
    // shift: 1 Shift, 2 Ctrl, 4 Alt (as a bit set); button: 1 left, 2 right, 4 middle.
    void Click(const QString& character_id, int button, int shift, int x, int y);
    void DblClick(const QString& character_id, int button, int shift, int x, int y);
    void DragComplete(const QString& character_id, int button, int shift, int x, int y);
    void RequestStart(const pw::agent::Request& request);
    void RequestComplete(const pw::agent::Request& request);
    void Command(const pw::agent::UserInput& input);
    void IdleStart(const QString& character_id);
    void IdleComplete(const QString& character_id);
    void BalloonHide(const QString& character_id);
    void Move(const QString& character_id, int x, int y, int cause);
    void ListenComplete(const QString& character_id, int cause);
};

}  // namespace pw::agent

Q_DECLARE_METATYPE(pw::agent::UserInput)
