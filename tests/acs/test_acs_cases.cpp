// Every case of tests/acs/cases: a few lines that make bytes (a fixture, a wave file
// built from chunks, hex) or a tiny character, change them, and say what the codec, the
// reader, the writer, the wave decoder or the frame renderer make of them. The run's
// transcript must read as <name>.transcript does; PW_UPDATE_TRANSCRIPTS=1 writes it.

#include "acs_test_files.h"

#include "agent/acs/acs_codec.h"
#include "agent/acs/acs_reader.h"
#include "agent/acs/acs_writer.h"
#include "agent/acs/frame_renderer.h"
#include "agent/acs/wav_audio.h"
#include "tests/test_classes.h"
#include "tests/case_rows.h"
#include "tests/transcript_file.h"

#include <QCryptographicHash>
#include <QDir>
#include <QRegularExpression>
#include <QTest>

using namespace pw::acs;
using namespace pw::acs::testing;
using namespace Qt::StringLiterals;

namespace {

const QString cases = QStringLiteral(ACS_TEST_CASES);
const QStringList mouths = {"Closed", "WideOpen1", "WideOpen2", "WideOpen3", "WideOpen4", "Medium", "Narrow"};

QString digest(const QByteArray& b)
{
    return '#' + QString::fromLatin1(QCryptographicHash::hash(b, QCryptographicHash::Md5).toHex().left(8));
}

QString error_text(const pw::agent::AgentError& e)
{
    return u"error %1: %2"_s.arg(e.number_text(), e.text());
}

// Long byte strings show their start, length and digest.
QString hex(const QByteArray& b)
{
    const QString start = QString::fromLatin1(b.left(32).toHex(' ').toUpper());
    return b.size() <= 32 ? start : u"%1 ... (%2 bytes %3)"_s.arg(start).arg(b.size()).arg(digest(b));
}

QString quoted(const QString& s) { return '"' + s + '"'; }

QString uuid(const QUuid& u) { return u.toString(QUuid::WithoutBraces); }

QString frame_text(const Frame& f)
{
    QStringList parts = {QString::number(f.duration)};
    QStringList images;
    for (const FrameImage& i : f.images) images << u"%1@%2,%3"_s.arg(i.image).arg(i.x).arg(i.y);
    parts << '[' + images.join(' ') + ']';
    if (f.sound != no_sound) parts << u"sound %1"_s.arg(f.sound);
    if (f.exit_frame != exit_none) parts << u"exit %1"_s.arg(f.exit_frame);
    for (const Branch& b : f.branches) parts << u"to %1 at %2%"_s.arg(b.frame).arg(b.probability);
    for (const MouthOverlay& o : f.overlays)
        parts << u"%1:%2@%3,%4%5 (%6 %7)"_s.arg(mouths.value(int(o.shape), u"?"_s)).arg(o.image).arg(o.x).arg(o.y)
                     .arg(o.replace_top_image ? u" replacing"_s : QString()).arg(o.value_a).arg(o.value_b);
    return parts.join(u", "_s);
}

QStringList dump(const CharacterData& d)
{
    QStringList out = {u"%1 %2.%3 %4, frame %5 x %6, transparent %7, style %8, animation set %9.%10"_s
                           .arg(quoted(d.name())).arg(d.version_major).arg(d.version_minor).arg(uuid(d.guid))
                           .arg(d.width).arg(d.height).arg(d.transparent_index).arg(d.style_flags, 8, 16, QChar('0'))
                           .arg(d.animation_set_major).arg(d.animation_set_minor)};
    if (const auto& v = d.voice)
        out << u"voice %1 %2, speed %3, pitch %4, %5"_s.arg(uuid(v->engine), uuid(v->mode)).arg(v->speed).arg(v->pitch)
                   .arg(v->has_extra ? u"language %1 %2, gender %3, age %4, style %5"_s.arg(v->language_id, 4, 16, QChar('0'))
                                           .arg(quoted(v->dialect)).arg(v->gender).arg(v->age).arg(quoted(v->style))
                                     : u"nothing more"_s);
    if (const auto& b = d.balloon)
        out << u"balloon %1 lines of %2, colours %3 %4 %5, font %6 %7 weight %8%9, unknown %10"_s.arg(b->lines)
                   .arg(b->chars_per_line).arg(b->text_color, 0, 16).arg(b->background_color, 0, 16)
                   .arg(b->border_color, 0, 16).arg(quoted(b->font_name)).arg(b->font_height).arg(b->font_weight)
                   .arg(b->italic ? u" italic"_s : QString()).arg(b->unknown);
    QByteArray palette;
    for (QRgb c : d.palette) palette += QByteArray::number(c, 16) + ' ';
    out << u"palette of %1: %2 %3"_s.arg(d.palette.size()).arg(QString::fromLatin1(palette.left(35))).arg(digest(palette));
    if (d.tray_icon)
        out << u"tray icon %1 %2"_s.arg(digest(d.tray_icon->mask_dib), digest(d.tray_icon->color_dib));
    for (const State& s : d.states) out << u"state %1: %2"_s.arg(s.name, s.animations.join(' '));
    for (const LocalizedInfo& i : d.localized)
        out << u"info %1 %2 %3 %4"_s.arg(i.language_id, 4, 16, QChar('0')).arg(quoted(i.name), quoted(i.description),
                                                                              quoted(i.extra_data));
    for (qsizetype i = 0; i < d.images.size(); ++i) {
        const Image& p = d.images[i];
        out << u"picture %1: "_s.arg(i) + (!p.present ? u"placeholder"_s
                                          : p.decoded_pixels().isEmpty() ? u"%1 x %2, no pixels"_s.arg(p.width).arg(p.height)
                                          : u"%1 x %2 %3"_s.arg(p.width).arg(p.height).arg(digest(p.decoded_pixels())));
    }
    for (qsizetype i = 0; i < d.sounds.size(); ++i)
        out << u"sound %1: %2 bytes %3"_s.arg(i).arg(d.sounds[i].wav.size()).arg(digest(d.sounds[i].wav));
    for (const Animation& a : d.animations) {
        out << u"animation %1, transition %2 %3"_s.arg(quoted(a.name)).arg(int(a.transition)).arg(quoted(a.return_animation));
        for (qsizetype i = 0; i < a.frames.size(); ++i) out << u"  frame %1: "_s.arg(i) + frame_text(a.frames[i]);
    }
    return out;
}

QString wav_summary(const PcmAudio& a)
{
    QStringList first;
    for (qsizetype i = 0; i + 1 < a.samples.size() && i < 16; i += 2)
        first << QString::number(qFromLittleEndian<qint16>(a.samples.constData() + i));
    return u"%1 Hz, %2 channels, %3 frames: %4 %5"_s.arg(a.sample_rate).arg(a.channels).arg(a.frame_count())
        .arg(first.join(' '), digest(a.samples));
}

// A wave file from chunks such as fmt(1 2 8000 16 | 0A 00) data(00 80 FF) LIST("odd"):
// a format chunk's numbers are its tag, channels, rate, bits and perhaps block size,
// then extra bytes.
QByteArray wave(const QString& spec)
{
    QByteArray chunks;
    static const QRegularExpression chunk(uR"((\S+)\(([^)]*)\))"_s);
    for (auto m = chunk.globalMatch(spec); m.hasNext();) {
        const auto c = m.next();
        QString body = c.captured(2);
        QByteArray data;
        if (body.startsWith('"')) {
            data = body.mid(1, body.size() - 2).toLatin1();
        } else if (c.captured(1) == u"fmt"_s) {
            const QStringList n = body.section('|', 0, 0).split(' ', Qt::SkipEmptyParts);
            const uint16_t tag = n[0].toUShort(), channels = n[1].toUShort(), bits = n[3].toUShort();
            const uint32_t rate = n[2].toUInt(), align = n.size() > 4 ? n[4].toUInt() : channels * bits / 8u;
            data.resize(16);
            qToLittleEndian(tag, data.data());
            qToLittleEndian(channels, data.data() + 2);
            qToLittleEndian(rate, data.data() + 4);
            qToLittleEndian(rate * align, data.data() + 8);
            qToLittleEndian(uint16_t(align), data.data() + 12);
            qToLittleEndian(bits, data.data() + 14);
            data += QByteArray::fromHex(body.section('|', 1).toLatin1());
        } else {
            data = QByteArray::fromHex(body.toLatin1());
        }
        chunks += c.captured(1).leftJustified(4, ' ').toLatin1() + QByteArray(4, '\0') + data;
        qToLittleEndian(uint32_t(data.size()), chunks.data() + chunks.size() - data.size() - 4);
        if (data.size() % 2) chunks += '\0';
    }
    QByteArray r("RIFF....WAVE");
    qToLittleEndian(uint32_t(chunks.size() + 4), r.data() + 4);
    return r + chunks;
}

// A place in the bytes: numbers added and subtracted, [x] the 32-bit value at x, @name
// where the text "name" first appears, and size.
qsizetype place(const QByteArray& b, const QString& expr)
{
    qsizetype total = 0;
    static const QRegularExpression term(uR"(([+-]?)(\[(?:[^\[\]]|\[[^\]]*\])*\]|@\w+|size|0x[0-9A-Fa-f]+|\d+))"_s);
    for (auto m = term.globalMatch(expr); m.hasNext();) {
        const auto t = m.next();
        const QString v = t.captured(2);
        qsizetype n = v.startsWith('[') ? qsizetype(le32_at(b, place(b, v.mid(1, v.size() - 2))))
                    : v.startsWith('@') ? b.indexOf(v.mid(1).toLatin1())
                    : v == u"size"_s    ? b.size()
                                        : qsizetype(v.toLongLong(nullptr, 0));
        total += t.captured(1) == u"-"_s ? -n : n;
    }
    return total;
}

// Which error each cut of the bytes gives, as runs of lengths.
QStringList cuts(const QByteArray& b, const std::function<void(const QByteArray&)>& use)
{
    QStringList out;
    QString last;
    qsizetype from = 0;
    for (qsizetype n = 0; n <= b.size(); ++n) {
        const auto e = pw::test::thrown_error([&] { use(b.left(n)); });
        const QString now = n == b.size() ? QString() : e.number() ? e.number_text() : u"reads"_s;
        if (n > 0 && now != last) out << u"%1..%2: %3"_s.arg(from).arg(n - 1).arg(last);
        if (now != last) from = n;
        last = now;
    }
    return out;
}

// Plays one case: its transcript is every line of it, each followed by what it gave.
QStringList play(const QString& text)
{
    QByteArray bytes, base;
    CharacterData chr;
    Frame frame;
    QStringList out;
    for (const QString& line : text.split('\n')) {
        out << line;
        const QStringList w = line.split(' ', Qt::SkipEmptyParts);
        if (w.isEmpty() || w[0].startsWith('#')) continue;
        const QString cmd = w[0], rest = line.section(' ', 1);
        QStringList said;
        const auto e = pw::test::thrown_error([&] {
            if (cmd == u"hex"_s) bytes = base = QByteArray::fromHex(rest.toLatin1());
            else if (cmd == u"text"_s) bytes = base = rest.toLatin1();
            else if (cmd == u"wav"_s) bytes = base = wave(rest);
            else if (cmd == u"file"_s) {
                bytes = base = file_bytes(QStringLiteral(ACS_TEST_FIXTURES "/") + rest);
                if (bytes.isEmpty()) bytes = base = file_bytes(test_character_file(rest));
                said << u"%1 bytes"_s.arg(bytes.size());
            } else if (cmd == u"reset"_s) bytes = base;
            else if (cmd.startsWith(u"set"_s)) {
                const qsizetype at = place(bytes, w[1]), width = cmd.mid(3).toInt() / 8;
                if (bytes.size() < at + width) bytes.resize(at + width, '\0');
                const qint64 v = place(bytes, w[2]);
                for (int k = 0; k < width; ++k) bytes[at + k] = char(v >> (8 * k));
            } else if (cmd == u"cut"_s) bytes.truncate(place(bytes, rest));
            else if (cmd == u"read"_s) said << dump(read_acs(bytes));
            else if (cmd == u"readfile"_s) said << dump(read_acs_file(rest));
            else if (cmd == u"check"_s) {
                const CharacterData d = read_acs(bytes);
                const auto blank = std::count_if(d.images.begin(), d.images.end(),
                                                 [](const Image& i) { return i.present && i.decoded_pixels().isEmpty(); });
                said << u"reads: %1 animations, %2 pictures (%3 without pixels), %4 sounds, last info's extra %5"_s
                            .arg(d.animations.size()).arg(d.images.size()).arg(blank).arg(d.sounds.size())
                            .arg(quoted(d.localized.value(d.localized.size() - 1).extra_data));
            } else if (cmd == u"rewrite"_s) {
                const CharacterData d = read_acs(bytes);
                const QByteArray again = write_acs(d);
                said << (again == bytes ? u"the same bytes"_s : u"%1 bytes %2"_s.arg(again.size()).arg(digest(again)))
                     << (read_acs(again) == d ? u"reads back equal"_s : u"reads back different"_s);
            } else if (cmd == u"cuts"_s) said << cuts(bytes, [](const QByteArray& b) { read_acs(b); });
            else if (cmd == u"wavcuts"_s) said << cuts(bytes, [](const QByteArray& b) { decode_wav(b); });
            else if (cmd == u"decode"_s) {
                const QByteArray stream = QByteArray::fromHex(line.section(' ', 2).toLatin1());
                const auto d = codec::decode(stream, w[1] == u"max+1"_s ? codec::max_decoded_size(stream.size()) + 1 : w[1].toLongLong());
                said << (d ? hex(*d) : u"fails"_s);
            } else if (cmd == u"encode"_s) said << hex(codec::encode(rest.startsWith('"') ? rest.mid(1, rest.size() - 2).toLatin1()
                                                                                          : QByteArray::fromHex(rest.toLatin1())));
            else if (cmd == u"decodewav"_s) said << wav_summary(decode_wav(bytes));
            else if (cmd == u"wavfile"_s) said << wav_summary(decode_wav_file(rest));
            else if (cmd == u"sox"_s) {
                const PcmAudio ours = decode_wav_file(QStringLiteral(ACS_TEST_FIXTURES "/") + rest + u".wav"_s);
                const PcmAudio ref = decode_wav_file(QStringLiteral(ACS_TEST_FIXTURES "/") + rest + u".ref.wav"_s);
                // sox decodes the padding of the last block too; we stop at the stated length.
                said << wav_summary(ours) << (ref.samples.startsWith(ours.samples) && ref.sample_rate == ours.sample_rate
                                                      && ref.channels == ours.channels ? u"as sox decodes it"_s : u"unlike sox"_s);
            } else if (cmd == u"character"_s) {
                chr = CharacterData();
                chr.width = uint16_t(w[1].toInt()), chr.height = uint16_t(w[2].toInt());
                chr.transparent_index = uint8_t(w[3].toInt());
                for (const QString& c : w.mid(4)) chr.palette << (c.toUInt(nullptr, 16) | 0xFF000000u);
            } else if (cmd == u"picture"_s) {
                Image img;
                img.width = int(w[1].size()), img.height = int(w.size() - 1);
                img.pixels = QByteArray(img.stride() * img.height, '\0');
                for (int y = 0; y < img.height; ++y)
                    for (int x = 0; x < img.width; ++x) img.pixels[(img.height - 1 - y) * img.stride() + x] = char(w[1 + y][x].digitValue());
                chr.images << img;
            } else if (cmd == u"placeholder"_s) chr.images.last().present = false;
            else if (cmd == u"nopixels"_s) chr.images.last().pixels.clear();
            else if (cmd == u"frame"_s) {
                frame = Frame();
                for (const QString& i : w.mid(1)) {
                    const QStringList n = i.split(QRegularExpression(u"[@,]"_s));
                    frame.images << FrameImage{n[0].toUInt(), int16_t(n[1].toInt()), int16_t(n[2].toInt())};
                }
            } else if (cmd == u"overlay"_s) {
                MouthOverlay o;
                o.shape = Mouth(mouths.indexOf(w[1]));
                const QStringList n = w[2].split(QRegularExpression(u"[@,]"_s));
                o.image = uint16_t(n[0].toUInt()), o.x = int16_t(n[1].toInt()), o.y = int16_t(n[2].toInt());
                o.replace_top_image = w.contains(u"replacing"_s);
                frame.overlays << o;
            } else if (cmd == u"render"_s) {
                const QImage img = render_frame(chr, frame, w.size() > 1 ? std::optional(Mouth(mouths.indexOf(w[1]))) : std::nullopt);
                if (img.isNull()) said << u"nothing"_s;
                else if (img.format() != QImage::Format_ARGB32_Premultiplied) said << u"not premultiplied ARGB"_s;
                for (int y = 0; y < img.height(); ++y) {
                    QString row;
                    for (int x = 0; x < img.width(); ++x)
                        row += qAlpha(img.pixel(x, y)) ? u"%1 "_s.arg(img.pixel(x, y) & 0xFFFFFF, 6, 16, QChar('0')) : u".      "_s;
                    said << row.trimmed();
                }
            } else if (cmd == u"pick"_s) {
                const MouthOverlay* o = pick_overlay(frame, Mouth(mouths.indexOf(w[1])));
                said << (o ? u"the overlay of picture %1"_s.arg(o->image) : u"none"_s);
            } else said << u"unknown command"_s;
        });
        if (e.number()) said << error_text(e);
        for (const QString& s : said) out << u"  "_s + s;
    }
    return out;
}

}  // namespace

class AcsCases : public QObject {
    Q_OBJECT
private slots:
    void each_case_reads_as_its_transcript_says_data()
    {
        QVERIFY(pw::test::add_case_rows(cases, u".case"_s) > 0);
    }
    void each_case_reads_as_its_transcript_says()
    {
        QFETCH(QString, name);
        const QStringList actual = play(pw::test::read_text(cases + '/' + name + u".case"_s).trimmed());
        const QString mismatch = pw::test::transcript_mismatch(cases + '/' + name + u".transcript"_s, actual);
        QVERIFY2(mismatch.isEmpty(), qPrintable(name + u".case: "_s + mismatch));
    }
};

PW_TEST_CLASS(AcsCases);
#include "test_acs_cases.moc"
