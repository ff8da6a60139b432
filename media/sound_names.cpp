#include "media/sound_names.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace pw::media {

namespace {

const QString extension = QStringLiteral(".wav");

// The longest file name, in bytes, of the file systems a home folder lives on. Where a
// file system has no unnamed temporary files, a sound is written first beside its
// place under its file name and 7 more characters.
constexpr qsizetype longest_file_name = 255;
constexpr qsizetype while_saving_extra = 7;

bool is_wave_file_name(const QString& file_name)
{
    return file_name.endsWith(extension, Qt::CaseInsensitive);
}

}  // namespace

QStringList sound_names(const QString& folder)
{
    QStringList names;
    const QStringList files = QDir(folder).entryList(QDir::Files, QDir::NoSort);
    names.reserve(files.size());
    for (const QString& file : files)
        if (is_wave_file_name(file)) names << file.left(file.size() - 4).toLower();
    // Names are lower case already; the collator puts "b2" before "b10".
    QCollator order;
    order.setNumericMode(true);
    std::sort(names.begin(), names.end(), [&order](const QString& a, const QString& b) { return order(a, b); });
    return names;
}

QString sound_name_refusal(const QString& name)
{
    const QString plain = name.trimmed();
    if (plain.isEmpty()) return QStringLiteral("Silly, you have to type in a file name!");
    if (plain.startsWith(QLatin1Char('.')) || plain.contains(QLatin1Char('/')) || plain.contains(QLatin1Char('\\')))
        return QStringLiteral("Silly, a sound's name can't start with a dot or have a slash in it!");
    for (const QChar c : plain)
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            return QStringLiteral("Silly, that name has a key in it that I can't write!");
    if (QFile::encodeName(plain + extension).size() + while_saving_extra > longest_file_name)
        return QStringLiteral("Oh my, that name is too long for me! Can you make it shorter?");
    return QString();
}

QString sound_file_path(const QString& folder, const QString& name)
{
    const QString wanted = name + extension;
    const QDir dir(folder);
    if (!QFileInfo(dir.filePath(wanted)).isFile())
        for (const QString& file : dir.entryList(QDir::Files | QDir::Hidden))
            if (file.compare(wanted, Qt::CaseInsensitive) == 0) return dir.filePath(file);
    return dir.filePath(wanted);
}

}  // namespace pw::media
