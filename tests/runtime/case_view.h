#pragma once
// The windows and the ears of a case: what the runtime asks of them goes into the
// case's transcript.

#include "agent/runtime/character_view.h"
#include "agent/voice/voice_input.h"
#include "case_world.h"

#include <QCoreApplication>

namespace pw::runtime_cases {

using namespace Qt::StringLiterals;

struct CaseView : agent::CharacterView {
    CaseView(CaseWorld& world, const QString& id) : world_(world), id_(id) { say(u"window made"_s); }
    ~CaseView() override
    {
        if (busy_close) QCoreApplication::processEvents();
        say(u"window closed"_s);
    }
    void set_listener(agent::CharacterViewListener* l) override { listener = l; }
    void set_frame(const QImage& f) override
    {
        const int tag = f.isNull() ? 0 : qRed(f.pixel(f.width() - 1, f.height() - 1));
        QString item = QString::number(tag);
        if (f.size() != QSize(frame_side, frame_side)) item += u"@%1x%2"_s.arg(f.width()).arg(f.height());
        if (!f.isNull() && qRed(f.pixel(0, 0)) > mouth_base) item += u'~';
        world_.shown.append({id_.toLower(), tag});
        // A new picture, not just the mouth moving on it.
        changed = changed || QString(item).remove(u'~') != last_picture;
        last_picture = QString(item).remove(u'~');
        world_.grow(id_, u"frames"_s, item);
    }
    void set_geometry(const QRect& r) override
    {
        world_.grow(id_, u"places"_s, u"%1,%2 %3x%4"_s.arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()));
    }
    void set_visible(bool on) override
    {
        if (on != visible_) say(on ? u"window shown"_s : u"window hidden"_s);
        visible_ = on;
    }
    void show_balloon(agent::BalloonKind kind, const QString& text, const acs::BalloonInfo&) override
    {
        world_.grow(id_, u"words"_s, kind == agent::BalloonKind::Speech ? u"Speech"_s : u"Thought"_s, true);
        world_.grow(id_, u"words"_s, text);
    }
    void reveal_balloon_text(int chars) override { world_.grow(id_, u"words"_s, QString::number(chars)); }
    void hide_balloon() override { say(u"balloon hidden"_s); }
    void show_menu(const QList<agent::CommandEntry>& entries, QPoint) override
    {
        QStringList items;
        for (const agent::CommandEntry& e : entries)
            items.append(u'"' + e.caption + u'"' + (e.enabled ? "" : " (off)"));
        say(u"menu "_s + items.join(u", "_s));
    }
    void activate() override { say(u"activated"_s); }
    void bring_forward() override { say(u"comes forward"_s); }
    void say(const QString& what) { world_.add(id_ + u' ' + what); }

    CaseWorld& world_;
    QString id_;
    bool visible_ = false;
    agent::CharacterViewListener* listener = nullptr;
    bool busy_close = false;  // some windows let events run while they close
    QString last_picture;
    bool changed = false;     // since the last frame the animation played
};

// Voice input the case speaks into.
struct CaseEars : voice::VoiceInput {
    explicit CaseEars(CaseWorld& world) : world_(world) {}
    void start(const QStringList& phrases) override
    {
        world_.add(u"ears listen for \"%1\""_s.arg(phrases.join(u"\", \""_s)));
        listening_ = true;
    }
    void stop() override
    {
        if (std::exchange(listening_, false)) world_.add(u"ears stop"_s);
    }
    CaseWorld& world_;
    bool listening_ = false;
};

}  // namespace pw::runtime_cases
