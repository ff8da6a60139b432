#include "agent/runtime/show_hide_jobs.h"

#include "agent/runtime/character_body.h"

namespace pw::agent {

void ShowJob::start()
{
    if (body_.visible()) {
        finish();
        return;
    }
    const acs::Animation* showing = fast_ ? nullptr : body_.state_animation(QStringLiteral("SHOWING"));
    if (!showing) {
        body_.set_visible(true);
        finish();
        return;
    }
    // The first frame is on the view before the window appears.
    body_.runner().run(*showing, AnimationRunner::Owner{[this] { finish(); }, {}, false});
    body_.set_visible(true);
}

void ShowJob::interrupt() { body_.runner().interrupt(); }

void HideJob::start()
{
    if (!body_.visible()) {
        finish();
        return;
    }
    body_.balloon().hide_now();
    const acs::Animation* hiding = fast_ ? nullptr : body_.state_animation(QStringLiteral("HIDING"));
    if (!hiding) {
        conceal();
        finish();
        return;
    }
    body_.runner().run(*hiding, AnimationRunner::Owner{[this] {
                                                           conceal();
                                                           finish();
                                                       },
                                                       {}, false});
}

void HideJob::interrupt() { conceal(); }

void HideJob::conceal()
{
    body_.runner().halt();
    body_.set_visible(false);
}

}  // namespace pw::agent
