#include "app/script_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <array>

namespace pw::app {
namespace {

// Windows-1252 bytes 0x80..0x9F; the five it leaves undefined stay the control
// characters of the same number, as Windows itself reads them. The other bytes are
// the Latin-1 characters of the same number.
constexpr std::array<char16_t, 32> cp1252_high = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString from_cp1252(const QByteArray& bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* d = out.data();
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        *d++ = (b >= 0x80 && b <= 0x9F) ? QChar(cp1252_high[b - 0x80]) : QChar(b);
    }
    return out;
}

const QString crlf = QStringLiteral("\r\n");

}  // namespace

QString decode_script(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringConverter::Utf8);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) return text;
    return from_cp1252(bytes);
}

QByteArray encode_script(const QString& text)
{
    QByteArray bytes = text.toUtf8();
    if (!text.endsWith(crlf)) bytes += "\r\n";
    return bytes;
}

ScriptRead read_script_file(const QString& path)
{
    ScriptRead r;
    const QFileInfo info(path);
    const QString shown = QDir::toNativeSeparators(path);
    if (!info.exists()) {
        r.reason = QStringLiteral("There is no file %1.").arg(shown);
        return r;
    }
    if (info.isDir()) {
        r.reason = QStringLiteral("%1 is a folder, not a script.").arg(shown);
        return r;
    }
    // A pipe or a device would keep the program waiting for ever.
    if (!info.isFile()) {
        r.reason = QStringLiteral("%1 is not a file.").arg(shown);
        return r;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        r.reason = QStringLiteral("%1: %2").arg(shown, file.errorString());
        return r;
    }
    // Read one byte more than allowed: a device that reports no size is caught too.
    const QByteArray bytes = file.read(max_script_file_bytes + 1);
    if (file.error() != QFileDevice::NoError) {
        r.reason = QStringLiteral("%1: %2").arg(shown, file.errorString());
        return r;
    }
    if (bytes.size() > max_script_file_bytes) {
        r.reason = QStringLiteral("%1 is too big to be a script.").arg(shown);
        return r;
    }
    // No text has NUL bytes; pictures, sounds and programs are full of them.
    if (bytes.contains('\0')) {
        r.not_a_script = true;
        r.reason = QStringLiteral("%1 is not text: it may be a picture, a sound or another kind of file.").arg(shown);
        return r;
    }
    r.text = decode_script(bytes);
    r.ok = true;
    return r;
}

QString write_script_file(const QString& path, const QString& text)
{
    const QByteArray bytes = encode_script(text);
    QSaveFile file(path);
    auto failed = [&] {
        return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), file.errorString());
    };
    if (!file.open(QIODevice::WriteOnly)) return failed();
    if (file.write(bytes) != bytes.size()) {
        const QString reason = failed();
        file.cancelWriting();
        return reason;
    }
    if (!file.commit()) return failed();
    return {};
}

NameProblem script_name_problem(const QString& name)
{
    if (name.trimmed().isEmpty()) return NameProblem::empty;
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\'))) return NameProblem::separator;
    if (name.startsWith(QLatin1Char('.'))) return NameProblem::leading_dot;
    for (const QChar c : name) {
        const QChar::Category k = c.category();
        if (k == QChar::Other_Control || k == QChar::Separator_Line || k == QChar::Separator_Paragraph)
            return NameProblem::control;
    }
    return NameProblem::none;
}

}  // namespace pw::app
