#pragma once
// A small character source folder written into a temporary directory: a 40 x 40
// frame, a square body with a dark outline, an arm over it with a round shoulder, a
// mouth with seven shapes, a hat that is hidden unless a pose shows it, and a little
// walk. Tests change single files to provoke errors.

#include <QString>
#include <QTemporaryDir>

class TinySource {
public:
    TinySource();
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const;
    void write(const QString& name, const QByteArray& text) const;
    // Adds animations (a JSON object's members) as animations/extra.json.
    void add_animations(const QByteArray& members) const;

    static constexpr unsigned outline = 0xFF111111;  // key colours
    static constexpr unsigned skin = 0xFF3366AA;

private:
    QTemporaryDir dir_;
};
