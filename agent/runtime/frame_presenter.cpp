#include "agent/runtime/frame_presenter.h"

#include "agent/acs/frame_renderer.h"
#include "agent/acs/picture_hash.h"
#include "agent/runtime/character_view.h"

namespace pw::agent {
namespace {

// Enough for every frame of a large character at once; past it the cache starts over.
constexpr qint64 cache_budget_bytes = 48ll * 1024 * 1024;

// What a frame draws and where: frames in different animations that draw the same
// pictures at the same places are composed once.
QByteArray composition_of(const acs::Frame& frame, const acs::MouthOverlay* overlay)
{
    QByteArray key;
    const auto add = [&key](qint32 a, qint32 b, qint32 c) {
        const qint32 parts[3] = {a, b, c};
        key.append(reinterpret_cast<const char*>(parts), sizeof parts);
    };
    for (const acs::FrameImage& fi : frame.images) add(qint32(fi.image), fi.x, fi.y);
    if (overlay) {
        key.append(overlay->replace_top_image ? 'R' : 'O');
        add(overlay->image, overlay->x, overlay->y);
    }
    return key;
}

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
    if (it == cache_.constEnd()) it = cache_.insert(key, look_of(*frame_, overlay));
    view_.set_frame(looks_[it.value()].unpack());
}

qsizetype FramePresenter::look_of(const acs::Frame& frame, const acs::MouthOverlay* overlay)
{
    const QByteArray composition = composition_of(frame, overlay);
    if (const auto known = by_composition_.constFind(composition); known != by_composition_.cend())
        return known.value();
    const QImage image = overlay ? acs::compose_frame(data_, frame, overlay->shape) : acs::compose_frame(data_, frame);
    PackedFrame packed(image);
    // Animations repeat poses (most begin and end in the rest pose), not always with the
    // same pictures: one that looks like a kept one is kept once.
    const size_t hash = acs::picture_hash(image);
    auto same = by_look_.constFind(hash);
    while (same != by_look_.cend() && same.key() == hash && !(looks_[same.value()] == packed)) ++same;
    qsizetype look;
    if (same != by_look_.cend() && same.key() == hash) {
        look = same.value();
    } else {
        if (cache_bytes_ + packed.size_in_bytes() > cache_budget_bytes) {
            cache_.clear();
            by_composition_.clear();
            by_look_.clear();
            looks_.clear();
            cache_bytes_ = 0;
        }
        cache_bytes_ += packed.size_in_bytes();
        look = looks_.size();
        looks_.append(std::move(packed));
        by_look_.insert(hash, look);
    }
    by_composition_.insert(composition, look);
    return look;
}

}  // namespace pw::agent
