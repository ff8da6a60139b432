#include "tiny_source.h"

#include <QDir>
#include <QFile>

namespace {

QByteArray svg(const QByteArray& body)
{
    return "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 40 40\" width=\"40\" height=\"40\">" + body +
           "</svg>\n";
}

}  // namespace

TinySource::TinySource()
{
    QDir(path()).mkpath(QStringLiteral("parts"));
    QDir(path()).mkpath(QStringLiteral("animations"));
    write("parts/body.svg", svg("<rect x=\"10\" y=\"12\" width=\"20\" height=\"24\" fill=\"#3366aa\" "
                                "stroke=\"#111111\" stroke-width=\"2\"/>"));
    write("parts/hat.svg", svg("<rect x=\"14\" y=\"4\" width=\"12\" height=\"8\" fill=\"#ffcc00\"/>"));
    // An outlined stroke from the shoulder at the pivot down to the hand.
    write("parts/arm.svg", svg("<line x1=\"26\" y1=\"22\" x2=\"30\" y2=\"29\" stroke=\"#111111\" stroke-width=\"10\" "
                               "stroke-linecap=\"round\"/><line x1=\"26\" y1=\"22\" x2=\"30\" y2=\"29\" stroke=\"#3366aa\" "
                               "stroke-width=\"7\" stroke-linecap=\"round\"/>"));
    for (int i = 0; i < 7; ++i)
        write(QStringLiteral("parts/mouth%1.svg").arg(i).toUtf8(),
              svg(QStringLiteral("<rect x=\"%1\" y=\"27\" width=\"%2\" height=\"%3\" fill=\"#aa2222\"/>")
                      .arg(20 - 1 - i / 2).arg(2 + i).arg(1 + i % 3).toUtf8()));
    write("rig.json", R"({ "parts": [
        { "name": "body", "pivot": [20, 36], "art": "parts/body.svg" },
        { "name": "mouth", "parent": "body", "pivot": [20, 28], "default": "m0",
          "art": { "m0": "parts/mouth0.svg", "m1": "parts/mouth1.svg", "m2": "parts/mouth2.svg",
                   "m3": "parts/mouth3.svg", "m4": "parts/mouth4.svg", "m5": "parts/mouth5.svg",
                   "m6": "parts/mouth6.svg" } },
        { "name": "arm", "parent": "body", "pivot": [26, 22], "art": "parts/arm.svg" },
        { "name": "hat", "parent": "body", "pivot": [20, 12], "art": "parts/hat.svg", "hidden": true } ] })");
    write("poses.json", R"({ "hop": { "body": { "dy": -3 } }, "hatted": { "hat": { "on": true } },
        "hop_hat": { "base": "hop", "hat": { "on": true } },
        "step_a": { "body": { "dy": -2 }, "arm": { "rot": -20 } }, "step_b": { "arm": { "rot": 15 } } })");
    write("animations/main.json", R"({
        "RestPose": { "frames": [ { "pose": "rest", "d": 10, "mouth": true } ] },
        "Show": { "frames": [ { "pose": "rest", "d": 10 }, { "pose": "rest", "d": 5 }, { "pose": "hop", "d": 5 },
                              { "pose": "rest", "d": 5 } ] },
        "Walk": { "transition": "exit", "frames": [ { "pose": "rest", "d": 5 }, { "pose": "step_a", "d": 8, "label": "step" },
                  { "pose": "step_b", "d": 8, "loop": "step" } ], "return": [ { "pose": "rest", "d": 5 } ] },
        "Hide": { "frames": [ { "pose": "hatted", "d": 10 }, { "empty": true, "d": 5 } ] } })");
    write("character.json", R"({
        "id": "Tiny", "guid": "{0a1b2c3d-0000-4000-8000-000000000001}", "frame": [40, 40],
        "info": [ { "language": 1033, "name": "Tiny", "description": "a test square" } ],
        "voice": { "espeak": "en-us+f2", "speed": 150, "pitch": 70, "gender": "female" },
        "balloon": { "lines": 3, "chars_per_line": 24, "font": "DejaVu Sans", "font_pixels": 15,
                     "background": "#ffeedd" },
        "key_colours": ["#111111", "#3366aa"],
        "mouth": { "part": "mouth", "shapes": ["m0", "m1", "m2", "m3", "m4", "m5", "m6"] },
        "states": { "Showing": ["Show"], "Hiding": ["hide"], "Speaking": ["RestPose"], "MovingLeft": ["Walk"] } })");
}

QString TinySource::file(const QString& name) const
{
    return QDir(path()).filePath(name);
}

void TinySource::write(const QString& name, const QByteArray& text) const
{
    QFile f(file(name));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) qFatal("cannot write %s", qPrintable(f.fileName()));
    f.write(text);
}

void TinySource::add_animations(const QByteArray& members) const
{
    write(QStringLiteral("animations/extra.json"), "{" + members + "}");
}
