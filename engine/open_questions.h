#pragma once
// The spoken yes/no questions: which one is open, and whether a double click on a
// character has said yes to it. The characters ask (spoken_questions.h); the stage's
// double click answers. Each question has its own yes, kept until that question reads
// it: questions that overlap (a window's while the run asks its own, or two windows')
// neither take nor wipe each other's.

namespace pw::engine {

struct OpenQuestions {
    bool quit = false;
    bool clear = false;
    bool overwrite = false;
    bool programs = false;  // a run asks whether it may start its programs
    bool discard_sound = false;
    // The quit question has no yes to keep: a yes starts the goodbyes at once.
    struct Yes {
        bool clear = false;
        bool overwrite = false;
        bool programs = false;
        bool discard_sound = false;
    } yes;
};

}  // namespace pw::engine
