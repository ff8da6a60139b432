#pragma once
// What the recogniser may hear while a character listens: every way of saying each
// enabled command's voice text, plus decoy words that catch speech outside them.
//
// Voice text syntax: "[word]" is optional, "(a | b)" is a choice, "|" at the top
// separates whole alternatives. Brackets may nest; a bracket left open closes at the
// end, and a stray closing bracket is ignored.

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace pw::voice {

// Every way of saying a voice text, as spoken words joined by single spaces, in a
// stable order without repeats: "Cancel [Script]" -> {"cancel script", "cancel"}.
// Long choices are cut at `limit` ways.
QStringList ways_to_say(const QString& voice_text, int limit = 64);

// How strongly each kind of choice in a grammar pulls (see ListeningTuning); all 1 and
// no garbage sounds give a plain grammar.
struct GrammarWeights {
    double command = 1.0;
    double decoy = 1.0;
    double garbage = 1.0;
    double garbage_sound = 1.0;
};

class CommandGrammar {
public:
    struct Way {
        QString words;   // "cancel script"
        QString phrase;  // the voice text it came from; empty for a decoy
    };

    // What the grammar needs to know of the recogniser's words.
    struct Lexicon {
        // False leaves out every way that needs the word (no pronunciation for it).
        std::function<bool(const QString& word)> usable;
        // The word's pronunciations as phone strings ("T UW"). A decoy that sounds
        // like a way of saying a command, all but one phone alike ("to" and "two",
        // "castle" and "cancel"), is left out: it would take the command's place.
        std::function<QStringList(const QString& word)> pronunciations;
    };

    // A decoy that is also a way of saying a command counts as the command. With
    // `garbage_sounds` (dictionary words of one speech sound each), any run of them
    // is a further choice that stands for speech outside the commands.
    static CommandGrammar build(const QStringList& phrases, const QStringList& decoys,
                                const Lexicon& lexicon = {}, const QStringList& garbage_sounds = {},
                                const GrammarWeights& weights = {});

    const QList<Way>& ways() const { return ways_; }
    bool has_commands() const;
    // Distinct words of all ways, in first-use order.
    QStringList words() const;
    // The grammar in JSGF, with one public rule <utterance>.
    QString jsgf(const QString& grammar_name) const;
    // The voice text a recognised hypothesis stands for; empty for a decoy or anything
    // the grammar does not hold.
    QString phrase_for(const QString& hypothesis) const;

private:
    QList<Way> ways_;
    QStringList garbage_sounds_;
    GrammarWeights weights_;
};

}  // namespace pw::voice
