#include "engine/waiting_sentences.h"

namespace pw::engine {

namespace {

struct Sentence {
    WaitKind kind;
    const char* text;  // %1 is the character's name
};

const Sentence sentences[] = {
    {WaitKind::key, "%1 is waiting for you to press a key."},
    {WaitKind::word, "%1 is listening for you to say a word."},
    {WaitKind::bump, "%1 is waiting for a bump."},
    {WaitKind::get_off, "%1 is waiting for the other one to move away."},
    {WaitKind::clock, "%1 is waiting for the clock to say the right time."},
    {WaitKind::pause, "%1 is having a little rest."},
    {WaitKind::action, "%1 is finishing what it is doing."},
    {WaitKind::sound, "%1 is waiting for the sound to end."},
    {WaitKind::step, "%1 is waiting for you to press Step."},
};

}  // namespace

QString waiting_sentence(WaitKind kind, const QString& character)
{
    for (const Sentence& s : sentences)
        if (s.kind == kind) return QString::fromLatin1(s.text).arg(character);
    return QString();
}

}  // namespace pw::engine
