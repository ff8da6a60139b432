#include "app/autosave.h"

#include "app/script_file.h"
#include "platform/core/trace.h"
#include "platform/core/user_folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <utility>

namespace pw::app {
namespace {

constexpr int default_delay_ms = 3000;

QStringView without_final_breaks(const QString& text)
{
    qsizetype n = text.size();
    while (n > 0 && (text[n - 1] == QLatin1Char('\n') || text[n - 1] == QLatin1Char('\r'))) --n;
    return QStringView(text).left(n);
}

}  // namespace

bool same_script(const QString& a, const QString& b)
{
    return without_final_breaks(a) == without_final_breaks(b);
}

Autosave::Autosave(std::function<QString()> text, QObject* parent) : QObject(parent), text_(std::move(text))
{
    timer_.setSingleShot(true);
    timer_.setInterval(default_delay_ms);
    connect(&timer_, &QTimer::timeout, this, [this] { write(); });
}

void Autosave::set_folder(const QString& user_folder)
{
    folder_ = user_folder;
}

QString Autosave::file_path() const
{
    return folder_.isEmpty() ? QString() : folder_ + QStringLiteral("/unsaved script.csp");
}

void Autosave::changed()
{
    if (!folder_.isEmpty() && !timer_.isActive()) timer_.start();
}

void Autosave::write_pending()
{
    if (!timer_.isActive()) return;
    timer_.stop();
    write();
}

std::optional<QString> Autosave::take_back()
{
    if (folder_.isEmpty() || !QFileInfo(file_path()).isFile()) return std::nullopt;
    const ScriptRead read = read_script_file(file_path());
    if (!read.ok) return std::nullopt;
    file_is_ours_ = true;
    return read.text;
}

void Autosave::saved_to_file(const QString& text)
{
    file_text_ = text;
    changed();
}

void Autosave::loaded_from_file(const QString& text)
{
    file_text_ = text;
    file_is_ours_ = false;
}

void Autosave::write()
{
    if (folder_.isEmpty()) return;
    const QString text = text_();
    const QString path = file_path();
    if (same_script(text, file_text_)) {
        // Nothing the files do not have. Our own kept copy is not needed any more;
        // another session's is left for the next start.
        if (file_is_ours_) QFile::remove(path);
        return;
    }
    if (!file_is_ours_ && QFileInfo::exists(path) && !move_aside()) return;
    QDir().mkpath(folder_);
    QSaveFile file(path);
    const QByteArray bytes = text.toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        qWarning("Pellworks cannot keep the script in %s: %s", qPrintable(path), qPrintable(file.errorString()));
        if (!std::exchange(failing_, true)) Q_EMIT cannot_keep(file.errorString());
        return;
    }
    failing_ = false;
    file_is_ours_ = true;
    pw::trace::script_kept(path);
}

bool Autosave::move_aside()
{
    const QString scripts = pw::folders::scripts_folder(folder_);
    QDir().mkpath(scripts);
    for (int n = 1; n < 1000; ++n) {
        const QString name = n == 1 ? QStringLiteral("unsaved script.csp") : QStringLiteral("unsaved script %1.csp").arg(n);
        const QString target = scripts + QLatin1Char('/') + name;
        if (QFileInfo::exists(target)) continue;
        if (QFile::rename(file_path(), target)) return true;
        break;
    }
    // It stays where it is, and this editor's text is not kept: the older one is not
    // overwritten.
    qWarning("Pellworks cannot move the older unsaved script aside; it stays in %s.", qPrintable(file_path()));
    return false;
}

}  // namespace pw::app
