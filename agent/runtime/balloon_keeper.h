#pragma once
// The character's word balloon: shown for speech and thoughts, hidden when the words
// end (right after the request completes, or after a linger time when one is set);
// every hide of a shown balloon raises BalloonHide.

#include "agent/acs/character_data.h"
#include "agent/runtime/character_view.h"

#include <QTimer>
#include <functional>

namespace pw::agent {

class BalloonKeeper {
public:
    BalloonKeeper(CharacterView& view, int linger_ms, std::function<void()> hidden);

    void show(BalloonKind kind, const QString& text, const acs::BalloonInfo& style);
    void reveal(int chars);
    // Hides the balloon after the linger time (unless something shows it again).
    void linger();
    void hide_now();
    bool shown() const { return shown_; }

private:
    CharacterView& view_;
    std::function<void()> hidden_;
    QTimer linger_;
    int revealed_ = -1;
    bool shown_ = false;
};

}  // namespace pw::agent
