#include "tools/charbuild/character_builder.h"

#include "tools/charbuild/drawing_checks.h"
#include "tools/charbuild/image_table.h"
#include "tools/charbuild/indexed_picture.h"
#include "tools/charbuild/palette_builder.h"
#include "tools/charbuild/pose_painter.h"
#include "tools/charbuild/source_json.h"

#include <QFile>
#include <QHash>

#include <optional>

namespace pw::charbuild {

namespace {

// Every picture a frame needs: its pose, and for speaking frames the same pose with
// each mouth shape.
struct FramePictures {
    QString base;
    QList<QString> mouths;  // by acs::Mouth, empty unless the frame speaks
};

Pose with_mouth(const CharacterSource& src, const Pose& pose, int shape)
{
    Pose p = pose;
    PartPose m = p.part(src.mouth_part);
    m.art = src.mouth_shapes[size_t(shape)];
    p.parts.insert(src.mouth_part, m);
    return src.rig.normalised(p, src.id);
}

class Builder {
public:
    Builder(const CharacterSource& src, const BuildOptions& options)
        : src_(src), options_(options), painter_(src.rig, src.frame, src.art_offset), checks_(src.rig, painter_)
    {
    }

    acs::CharacterData build()
    {
        const QList<const AnimationSource*> chosen = chosen_animations();
        draw_all(chosen);
        choose_palette();
        store_rest_first();
        acs::CharacterData data = header();
        for (const AnimationSource* a : chosen) data.animations << animation(*a);
        data.images = images_.images();
        data.sounds = sounds_;
        return data;
    }

private:
    QList<const AnimationSource*> chosen_animations() const
    {
        QList<const AnimationSource*> out;
        for (const AnimationSource& a : src_.animations) {
            bool wanted = options_.only_animations.isEmpty();
            for (const QString& n : options_.only_animations)
                wanted = wanted || n.compare(a.name, Qt::CaseInsensitive) == 0;
            if (wanted) out << &a;
        }
        if (out.isEmpty()) source_error(src_.folder, QStringLiteral("none of the wanted animations exist"));
        return out;
    }

    QString draw(const Pose& pose)
    {
        const QString key = pose.key();
        if (!drawn_.contains(key)) drawn_.insert(key, painter_.paint(pose));
        return key;
    }

    // Every pose is checked once, where it first appears.
    QString draw_checked(const Pose& pose, const QString& where)
    {
        if (!drawn_.contains(pose.key())) checks_.check(pose, where);
        return draw(pose);
    }

    void draw_all(const QList<const AnimationSource*>& chosen)
    {
        for (const AnimationSource* a : chosen) {
            QList<FramePictures> pictures;
            for (const FrameSource& f : a->frames) {
                FramePictures fp;
                if (!f.empty) fp.base = draw_checked(f.pose, f.where.isEmpty() ? a->where : f.where);
                if (f.mouth)
                    for (int s = 0; s < acs::mouth_shape_count; ++s) fp.mouths << draw(with_mouth(src_, f.pose, s));
                pictures << fp;
            }
            frame_pictures_.insert(a->name, pictures);
        }
    }

    void choose_palette()
    {
        PaletteBuilder palette(src_.key_colours);
        for (const QImage& img : std::as_const(drawn_)) palette.add(img);
        palette_ = palette.build();
        const ColourMapper colours(palette_);
        for (auto it = drawn_.cbegin(); it != drawn_.cend(); ++it)
            indexed_.insert(it.key(), IndexedPicture::from(it.value(), colours));
    }

    // The rest pose is the most common base for patches, so it is stored first.
    void store_rest_first()
    {
        if (indexed_.contains(Pose{}.key())) frame_images(Pose{}.key());
        recent_.clear();
    }

    acs::CharacterData header() const
    {
        acs::CharacterData d;
        d.guid = src_.guid;
        d.width = uint16_t(src_.frame.width());
        d.height = uint16_t(src_.frame.height());
        d.transparent_index = transparent_index;
        d.style_flags = src_.style_flags;
        d.voice = src_.voice;
        d.balloon = src_.balloon;
        d.palette = palette_;
        d.states = src_.states;
        d.localized = src_.localized;
        return d;
    }

    int sound_index(const QString& name)
    {
        if (name.isEmpty()) return acs::no_sound;
        if (const auto it = sound_indices_.constFind(name); it != sound_indices_.cend()) return *it;
        QFile file(src_.sound_files.value(name));
        if (!file.open(QIODevice::ReadOnly)) source_error(file.fileName(), QStringLiteral("cannot be read"));
        const QByteArray wav = file.readAll();
        if (!wav.startsWith("RIFF") || wav.mid(8, 4) != "WAVE")
            source_error(file.fileName(), QStringLiteral("is not a RIFF/WAVE file"));
        sounds_ << acs::Sound{wav};
        const int index = int(sounds_.size()) - 1;
        sound_indices_.insert(name, index);
        return index;
    }

    acs::Animation animation(const AnimationSource& a)
    {
        acs::Animation out;
        out.name = a.name;
        out.transition = a.transition;
        out.return_animation = a.return_animation.toUpper();
        const QList<FramePictures>& pictures = frame_pictures_.value(a.name);
        recent_.clear();
        for (qsizetype i = 0; i < a.frames.size(); ++i) {
            const FrameSource& f = a.frames[i];
            acs::Frame frame;
            frame.duration = f.duration;
            frame.exit_frame = f.exit_frame;
            frame.branches = f.branches;
            frame.sound = sound_index(f.sound);
            if (!f.empty) frame.images = frame_images(pictures[i].base);
            if (f.mouth) frame.overlays = overlays(pictures[i]);
            out.frames << frame;
        }
        return out;
    }

    // A frame is one whole picture, or a small patch over a whole picture stored
    // earlier (the rest pose, or a recent frame of the same animation) when only a
    // little differs: a blink, a hand, a sparkle.
    QList<acs::FrameImage> frame_images(const QString& key)
    {
        const IndexedPicture& picture = indexed_.value(key);
        const QRect bounds = picture.drawn_bounds();
        if (bounds.isEmpty()) return {};
        QList<const Whole*> candidates;
        if (rest_) candidates << &*rest_;
        for (qsizetype i = std::max<qsizetype>(0, recent_.size() - 3); i < recent_.size(); ++i) candidates << &recent_[i];
        const Whole* best = nullptr;
        QRect best_patch;
        qint64 best_area = qint64(bounds.width()) * bounds.height() / 2;  // not worth it above half
        for (const Whole* c : candidates) {
            const QRect diff = IndexedPicture::difference(picture, indexed_.value(c->key));
            if (diff.isEmpty()) return {c->placed};
            const qint64 area = qint64(diff.width()) * diff.height();
            if (area < best_area && picture.patches(indexed_.value(c->key), diff)) {
                best = c;
                best_patch = diff;
                best_area = area;
            }
        }
        if (best) {
            const acs::FrameImage patch{images_.add(picture.cut(best_patch)), int16_t(best_patch.x()), int16_t(best_patch.y())};
            return {patch, best->placed};
        }
        const Whole whole{key, acs::FrameImage{images_.add(picture.cut(bounds)), int16_t(bounds.x()), int16_t(bounds.y())}};
        recent_ << whole;
        if (key == Pose{}.key() && !rest_) rest_ = whole;
        return {whole.placed};
    }

    QList<acs::MouthOverlay> overlays(const FramePictures& fp)
    {
        const IndexedPicture& base = indexed_.value(fp.base);
        // The overlays cover every pixel in which any mouth differs from the frame, so
        // each one fully replaces the mouth drawn in the frame.
        QRect region;
        for (const QString& m : fp.mouths) region |= IndexedPicture::difference(base, indexed_.value(m));
        for (int s = 1; s < fp.mouths.size(); ++s)
            region |= IndexedPicture::difference(indexed_.value(fp.mouths[0]), indexed_.value(fp.mouths[s]));
        if (region.isEmpty()) source_error(src_.folder, QStringLiteral("the mouth shapes all look the same"));
        region = region.adjusted(-1, -1, 1, 1) & QRect(QPoint(0, 0), src_.frame);
        QList<acs::MouthOverlay> out;
        for (int s = 0; s < fp.mouths.size(); ++s) {
            acs::MouthOverlay o;
            o.shape = acs::Mouth(s);
            o.image = uint16_t(images_.add(indexed_.value(fp.mouths[s]).cut(region)));
            o.x = int16_t(region.x());
            o.y = int16_t(region.y());
            o.value_a = uint16_t(region.center().x());
            o.value_b = uint16_t(region.center().y());
            out << o;
        }
        return out;
    }

    struct Whole {
        QString key;               // the pose it shows
        acs::FrameImage placed;
    };

    const CharacterSource& src_;
    const BuildOptions& options_;
    std::optional<Whole> rest_;    // the rest pose's whole picture, once stored
    QList<Whole> recent_;          // whole pictures of the animation being built
    PosePainter painter_;
    DrawingChecks checks_;
    QHash<QString, QImage> drawn_;
    QHash<QString, IndexedPicture> indexed_;
    QHash<QString, QList<FramePictures>> frame_pictures_;
    QList<QRgb> palette_;
    ImageTable images_;
    QList<acs::Sound> sounds_;
    QHash<QString, int> sound_indices_;
};

}  // namespace

acs::CharacterData build_character(const CharacterSource& source, const BuildOptions& options)
{
    return Builder(source, options).build();
}

acs::CharacterData build_character(const QString& source_folder, const BuildOptions& options)
{
    return build_character(load_character_source(source_folder), options);
}

}  // namespace pw::charbuild
