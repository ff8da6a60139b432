#include "agent/runtime/frame_presenter.h"

#include "agent/acs/frame_renderer.h"
#include "agent/runtime/character_view.h"

#include <QHashFunctions>

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
        QImage image = overlay ? acs::render_frame(data_, *frame_, overlay->shape) : acs::render_frame(data_, *frame_);
        // Animations repeat poses (most begin and end in the rest pose): a picture that
        // looks like one kept already is kept once, and the window knows it by sight.
        const size_t hash = image.isNull() ? 0 : qHashBits(image.constBits(), size_t(image.sizeInBytes()));
        auto same = by_look_.constFind(hash);
        while (same != by_look_.cend() && same.key() == hash && same.value() != image) ++same;
        if (same != by_look_.cend() && same.key() == hash) {
            image = same.value();
        } else {
            if (cache_bytes_ + image.sizeInBytes() > cache_budget_bytes) {
                cache_.clear();
                by_look_.clear();
                cache_bytes_ = 0;
            }
            cache_bytes_ += image.sizeInBytes();
            by_look_.insert(hash, image);
        }
        it = cache_.insert(key, image);
    }
    view_.set_frame(it.value());
}

}  // namespace pw::agent
