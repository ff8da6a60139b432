#pragma once
// Errors of the character platform carry the platform's HRESULT-style number.

#include <QString>
#include <cstdint>
#include <exception>
#include <string>

namespace pw::agent {

namespace error {
inline constexpr uint32_t character_invalid = 0x80042002;    // no character with that id
inline constexpr uint32_t animation_not_found = 0x80042003;  // unknown animation name
inline constexpr uint32_t state_not_found = 0x80042004;      // no animation for this state
inline constexpr uint32_t command_not_found = 0x80042006;
inline constexpr uint32_t command_already_in_use = 0x80042007;
inline constexpr uint32_t character_not_visible = 0x8004200A;
inline constexpr uint32_t character_already_loaded = 0x8004200B;
inline constexpr uint32_t invalid_animation = 0x8004200F;    // damaged, or no frames
inline constexpr uint32_t cant_wait_on_self = 0x80042105;
inline constexpr uint32_t request_removed = 0x80042108;
inline constexpr uint32_t interrupted_by_code = 0x8004210C;
inline constexpr uint32_t interrupted_by_hide = 0x8004210D;
inline constexpr uint32_t character_version = 0x80042202;    // e.g. an Agent 1.5 file
inline constexpr uint32_t newer_version = 0x80042203;
inline constexpr uint32_t not_a_character = 0x80042204;      // wrong signature
inline constexpr uint32_t wave_invalid = 0x80042206;
inline constexpr uint32_t wave_corrupt = 0x80042207;
inline constexpr uint32_t file_corrupt = 0x80070570;         // block outside the file, bad data
inline constexpr uint32_t file_not_found = 0x80070002;
inline constexpr uint32_t audio_device = 0x80042401;
}  // namespace error

class AgentError : public std::exception {
public:
    AgentError(uint32_t number, QString text)
        : number_(number), text_(std::move(text)), what_(text_.toStdString()) {}

    uint32_t number() const noexcept { return number_; }
    const QString& text() const noexcept { return text_; }
    const char* what() const noexcept override { return what_.c_str(); }

    // "0x80042003" style, for messages and logs.
    QString number_text() const { return QStringLiteral("0x%1").arg(number_, 8, 16, QLatin1Char('0')).toUpper().replace(QStringLiteral("0X"), QStringLiteral("0x")); }

private:
    uint32_t number_;
    QString text_;
    std::string what_;
};

}  // namespace pw::agent
