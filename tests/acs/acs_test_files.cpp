#include "acs_test_files.h"

#include <QRandomGenerator>

namespace pw::acs::testing {

Image blob_image(int width, int height, uint8_t color, uint8_t transparent, quint32 seed)
{
    QRandomGenerator rng(seed);
    Image img;
    img.width = width;
    img.height = height;
    img.pixels = QByteArray(img.stride() * height, char(transparent));
    const double cx = (width - 1) / 2.0, cy = (height - 1) / 2.0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double dx = (x - cx) / (width / 2.0), dy = (y - cy) / (height / 2.0);
            if (dx * dx + dy * dy > 1.0) continue;
            const uint8_t c = rng.bounded(8) == 0 ? uint8_t(color + 1) : color;
            img.pixels[(height - 1 - y) * img.stride() + x] = char(c);
        }
    }
    return img;
}

QByteArray with_repeated_entries(const QByteArray& file, int copies, qsizetype block_size, int shift)
{
    QByteArray out = file;
    auto u32 = [](QByteArray& b, uint32_t v) {
        char le[4];
        qToLittleEndian(v, le);
        b.append(le, 4);
    };
    // Puts a new directory at the end of the file and points header locator `slot` at it.
    auto place = [&](int slot, const QByteArray& dir) {
        set_le32(out, 4 + 8 * slot, uint32_t(out.size()));
        set_le32(out, 8 + 8 * slot, uint32_t(dir.size()));
        out.append(dir);
    };

    const uint32_t block = uint32_t(out.size());
    out.append(QByteArray(block_size, '\x5A'));
    QByteArray sounds;
    u32(sounds, uint32_t(copies));
    for (int i = 0; i < copies; ++i) {
        u32(sounds, block + uint32_t(i * shift));
        u32(sounds, uint32_t(block_size - (copies - 1) * shift));
        u32(sounds, 0);
    }

    const qsizetype image_dir = le32_at(file, 20);
    const uint32_t images = le32_at(file, image_dir);
    QByteArray pictures;
    u32(pictures, images + uint32_t(copies));
    pictures.append(file.mid(image_dir + 4, 12 * qsizetype(images)));
    for (int i = 0; i < copies; ++i) pictures.append(file.mid(image_dir + 4 + 12 * qsizetype(images - 1), 12));

    const qsizetype anim_dir = le32_at(file, 12);
    const uint32_t anims = le32_at(file, anim_dir);
    const uint32_t first_name = le32_at(file, anim_dir + 4);
    const QByteArray first_locator = file.mid(anim_dir + 8 + (first_name ? 2 * first_name + 2 : 0), 8);
    QByteArray animations;
    u32(animations, anims + uint32_t(copies));
    animations.append(file.mid(anim_dir + 4, le32_at(file, 16) - 4));
    for (int i = 0; i < copies; ++i) {
        const QString name = QStringLiteral("Copy%1").arg(i);
        u32(animations, uint32_t(name.size()));
        for (QChar ch : name) animations.append(char(ch.unicode())).append('\0');
        animations.append(2, '\0');
        animations.append(first_locator);
    }

    place(1, animations);
    place(2, pictures);
    place(3, sounds);
    return out;
}

}  // namespace pw::acs::testing
