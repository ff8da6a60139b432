#include "agent/runtime/frame_presenter.h"

#include "agent/acs/frame_renderer.h"
#include "agent/runtime/character_view.h"

namespace pw::agent {
namespace {

// Enough for every frame of a large character at once; past it the cache starts over.
constexpr qint64 cache_budget_bytes = 48ll * 1024 * 1024;

}  // namespace

FramePresenter::FramePresenter(const acs::CharacterData& data, CharacterView& view)
    : data_(data), view_(view)
{
}

void FramePresenter::show(const acs::Frame& frame)
{
    frame_ = &frame;
    present();
}

void FramePresenter::set_mouth(std::optional<acs::Mouth> mouth)
{
    if (mouth_ == mouth) return;
    mouth_ = mouth;
    if (frame_has_mouths()) present();
}

void FramePresenter::present()
{
    if (!frame_) return;
    const acs::MouthOverlay* overlay =
        mouth_ && !frame_->overlays.isEmpty() ? acs::pick_overlay(*frame_, *mouth_) : nullptr;
    const QPair<const void*, const void*> key{frame_, overlay};
    if (key == shown_) return;
    shown_ = key;

    auto it = cache_.constFind(key);
    if (it == cache_.constEnd()) {
        const QImage image = overlay ? acs::render_frame(data_, *frame_, overlay->shape)
                                     : acs::render_frame(data_, *frame_);
        if (cache_bytes_ + image.sizeInBytes() > cache_budget_bytes) {
            cache_.clear();
            cache_bytes_ = 0;
        }
        cache_bytes_ += image.sizeInBytes();
        it = cache_.insert(key, image);
    }
    view_.set_frame(it.value());
}

}  // namespace pw::agent
