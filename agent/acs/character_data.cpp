#include "agent/acs/character_data.h"

namespace pw::acs {

int CharacterData::animation_index(const QString& name) const
{
    for (qsizetype i = 0; i < animations.size(); ++i)
        if (animations[i].name.compare(name, Qt::CaseInsensitive) == 0) return int(i);
    return -1;
}

const Animation* CharacterData::animation(const QString& name) const
{
    const int i = animation_index(name);
    return i < 0 ? nullptr : &animations[i];
}

const State* CharacterData::state(const QString& name) const
{
    for (const State& s : states)
        if (s.name.compare(name, Qt::CaseInsensitive) == 0) return &s;
    return nullptr;
}

const LocalizedInfo* CharacterData::info(uint16_t language_id) const
{
    if (localized.isEmpty()) return nullptr;
    for (const LocalizedInfo& l : localized)
        if (l.language_id == language_id) return &l;
    for (const LocalizedInfo& l : localized)
        if ((l.language_id & 0x3FF) == (language_id & 0x3FF)) return &l;
    for (const LocalizedInfo& l : localized)
        if ((l.language_id & 0x3FF) == 0x09) return &l;
    return &localized.first();
}

QString CharacterData::name(uint16_t language_id) const
{
    const LocalizedInfo* l = info(language_id);
    return l ? l->name : QString();
}

}  // namespace pw::acs
