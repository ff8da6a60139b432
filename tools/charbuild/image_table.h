#pragma once
// The images of a character file, each stored once however many frames use it.

#include "agent/acs/character_data.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <cstdint>

namespace pw::charbuild {

class ImageTable {
public:
    // The index of an identical image already stored, or of this one, added.
    uint32_t add(const acs::Image& image);
    const QList<acs::Image>& images() const { return images_; }

private:
    QList<acs::Image> images_;
    QHash<QByteArray, uint32_t> by_content_;
};

}  // namespace pw::charbuild
