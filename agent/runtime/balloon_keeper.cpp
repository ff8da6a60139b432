#include "agent/runtime/balloon_keeper.h"

namespace pw::agent {

BalloonKeeper::BalloonKeeper(CharacterView& view, int linger_ms, std::function<void()> hidden)
    : view_(view), hidden_(std::move(hidden))
{
    linger_.setSingleShot(true);
    linger_.setInterval(linger_ms);
    QObject::connect(&linger_, &QTimer::timeout, &linger_, [this] { hide_now(); });
}

void BalloonKeeper::show(BalloonKind kind, const QString& text, const acs::BalloonInfo& style)
{
    linger_.stop();
    view_.show_balloon(kind, text, style);
    revealed_ = -1;
    shown_ = true;
}

void BalloonKeeper::reveal(int chars)
{
    if (!shown_ || chars == revealed_) return;
    revealed_ = chars;
    view_.reveal_balloon_text(chars);
}

void BalloonKeeper::linger()
{
    if (shown_) linger_.start();
}

void BalloonKeeper::hide_now()
{
    linger_.stop();
    if (!std::exchange(shown_, false)) return;
    view_.hide_balloon();
    if (hidden_) hidden_();
}

}  // namespace pw::agent
