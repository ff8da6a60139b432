#pragma once
// The spoken yes/no questions: which one is open, and whether a double click on a
// character has said yes to it. The characters ask (spoken_questions.h); the stage's
// double click answers.

namespace pw::engine {

struct OpenQuestions {
    bool quit = false;
    bool clear = false;
    bool overwrite = false;
    bool programs = false;  // a run asks whether it may start its programs
    bool discard_sound = false;
    bool answered_yes = false;
};

}  // namespace pw::engine
