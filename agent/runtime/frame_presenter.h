#pragma once
// Puts frames on the character's view: composes each frame (with the mouth shape
// being spoken, when the frame has mouth overlays) and keeps the composed pictures,
// packed, so that loops and speech do not compose the same picture again; frames that
// draw the same, or look alike, share one picture.

#include "agent/acs/character_data.h"
#include "agent/runtime/packed_frame.h"

#include <QHash>
#include <QImage>
#include <QList>
#include <QPair>
#include <optional>

namespace pw::agent {

class CharacterView;

class FramePresenter {
public:
    FramePresenter(const acs::CharacterData& data, CharacterView& view);

    void show(const acs::Frame& frame);
    // The mouth shape to draw on frames that have overlays; nullopt: as drawn.
    void set_mouth(std::optional<acs::Mouth> mouth);
    const acs::Frame* frame() const { return frame_; }
    bool frame_has_mouths() const { return frame_ && !frame_->overlays.isEmpty(); }

private:
    void present();
    // The index in looks_ of the frame's picture, composed if need be.
    qsizetype look_of(const acs::Frame& frame, const acs::MouthOverlay* overlay);

    const acs::CharacterData& data_;
    CharacterView& view_;
    const acs::Frame* frame_ = nullptr;
    std::optional<acs::Mouth> mouth_;
    QPair<const void*, const void*> shown_{nullptr, nullptr};
    QList<PackedFrame> looks_;  // every picture composed, each once
    QHash<QPair<const void*, const void*>, qsizetype> cache_;
    QHash<QByteArray, qsizetype> by_composition_;  // by what is drawn where
    QMultiHash<size_t, qsizetype> by_look_;        // by their pixels' hash
    qint64 cache_bytes_ = 0;
};

}  // namespace pw::agent
