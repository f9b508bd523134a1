#include "core/export/NameTemplate.h"

#include "core/export/OutputNaming.h"

#include <QLocale>
#include <algorithm>
#include <charconv>

namespace vantrel {

namespace {

constexpr std::size_t kFileNameBytes = 255;
// "-" and up to six digits of a collision counter.
constexpr std::size_t kCounterRoom = 7;
constexpr int kWidestSerial = 9;

QString utf8Text(const std::string& text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// Cut at a character boundary of UTF-8, so a shortened name stays readable.
std::string shortened(std::string text, std::size_t bytes) {
    if (text.size() <= bytes) {
        return text;
    }
    std::size_t end = bytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        --end;
    }
    text.resize(end);
    return text;
}

} // namespace

NameTemplate NameTemplate::parse(const std::string& text) {
    NameTemplate result;
    const auto fail = [&result](const QString& why) {
        result.mParts.clear();
        result.mError = why;
        return result;
    };
    if (text.empty()) {
        return fail(QStringLiteral("the template is empty"));
    }
    std::string literal;
    const auto flush = [&] {
        if (!literal.empty()) {
            result.mParts.push_back({Kind::Text, literal});
            literal.clear();
        }
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '}' && i + 1 < text.size() && text[i + 1] == '}') {
            literal += '}';
            ++i;
            continue;
        }
        if (c != '{') {
            literal += c;
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == '{') {
            literal += '{';
            ++i;
            continue;
        }
        const std::size_t close = text.find('}', i);
        if (close == std::string::npos) {
            return fail(QStringLiteral("\"{\" without its \"}\""));
        }
        const std::string token = text.substr(i + 1, close - i - 1);
        const std::size_t colon = token.find(':');
        const std::string key = token.substr(0, colon);
        const std::string argument = colon == std::string::npos ? "" : token.substr(colon + 1);
        const bool hasArgument = colon != std::string::npos;
        flush();
        if (key == "name" && !hasArgument) {
            result.mParts.push_back({Kind::Name, {}});
        } else if (key == "n") {
            int width = 0;
            if (hasArgument) {
                const auto [end, error] =
                    std::from_chars(argument.data(), argument.data() + argument.size(), width);
                if (error != std::errc() || end != argument.data() + argument.size() || width < 1 ||
                    width > kWidestSerial) {
                    return fail(QStringLiteral("{%1}: the width is a whole number from 1 to %2")
                                    .arg(utf8Text(token))
                                    .arg(kWidestSerial));
                }
            }
            result.mParts.push_back({Kind::Serial, {}, width});
        } else if (key == "date") {
            result.mParts.push_back(
                {Kind::Date, hasArgument && !argument.empty() ? argument : "yyyy-MM-dd"});
            result.mNeedsCaptureInfo = true;
        } else if (key == "camera" && !hasArgument) {
            result.mParts.push_back({Kind::Camera, {}});
            result.mNeedsCaptureInfo = true;
        } else if ((key == "w" || key == "h") && !hasArgument) {
            result.mParts.push_back({key == "w" ? Kind::Width : Kind::Height, {}});
            result.mNeedsSize = true;
        } else {
            return fail(QStringLiteral("unknown token {%1}; use {name}, {n}, {n:4}, {date}, "
                                       "{date:FORMAT}, {camera}, {w} or {h}")
                            .arg(utf8Text(token)));
        }
        i = close;
    }
    flush();
    return result;
}

std::string NameTemplate::render(const NameFields& fields, const std::string& extension) const {
    const std::string serial = numberFormatSerilized(fields.serial, fields.photoCount);
    std::string name;
    for (const Part& part : mParts) {
        switch (part.kind) {
        case Kind::Text:
            name += part.text;
            break;
        case Kind::Name:
            name += fields.name;
            break;
        case Kind::Serial: {
            std::string digits = std::to_string(fields.serial);
            name += part.width == 0
                        ? serial
                        : std::string(
                              std::size_t(std::max<int>(0, part.width - int(digits.size()))), '0') +
                              digits;
            break;
        }
        case Kind::Date:
            if (fields.taken.isValid()) {
                name += QLocale::c().toString(fields.taken, utf8Text(part.text)).toStdString();
            }
            break;
        case Kind::Camera:
            name += fields.camera;
            break;
        case Kind::Width:
            name += std::to_string(fields.width);
            break;
        case Kind::Height:
            name += std::to_string(fields.height);
            break;
        }
    }
    if (name.empty()) {
        name = serial;
    }
    const std::size_t room =
        kFileNameBytes - std::min(kFileNameBytes - 1, kCounterRoom + 1 + extension.size());
    return safeFileName(shortened(std::move(name), room));
}

} // namespace vantrel
