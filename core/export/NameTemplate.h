#pragma once

#include <QDateTime>
#include <QString>
#include <optional>
#include <string>
#include <vector>

namespace vantrel {

// What one photo gives the tokens of a name template.
struct NameFields {
    std::string name; // the source file name without its extension
    long serial = 1;  // 1 for the first photo of the whole run
    long photoCount = 1;
    QDateTime taken; // invalid: {date} gives nothing
    std::string camera;
    int width = 0; // the output's size
    int height = 0;
};

// A file name pattern such as "{date}_{camera}_{n:4}": text with the tokens {name}, {n},
// {n:WIDTH}, {date}, {date:FORMAT}, {camera}, {w} and {h}; "{{" and "}}" stand for
// braces. FORMAT is a QDateTime format ("yyyy-MM-dd" when none is given) written with
// the C locale, so a name is the same on every machine whatever its language.
class NameTemplate {
public:
    // The template, or the first fault in it as one line for the user ("unknown token
    // {foo}"). An empty template is a fault.
    static NameTemplate parse(const std::string& text);

    bool isValid() const { return mError.isEmpty(); }
    const QString& error() const { return mError; }
    // Whether rendering reads the photo's metadata ({date}, {camera}) or its output size.
    bool needsCaptureInfo() const { return mNeedsCaptureInfo; }
    bool needsSize() const { return mNeedsSize; }

    // The base file name (without extension) for one photo: "/" and NUL become "_", and an
    // empty result is the padded serial. Fit to a file name's 255 bytes with room left for
    // `extension` and a collision counter.
    std::string render(const NameFields& fields, const std::string& extension) const;

private:
    enum class Kind { Text, Name, Serial, Date, Camera, Width, Height };
    struct Part {
        Kind kind;
        std::string text; // Text: the text; Date: the format
        int width = 0;    // Serial: 0 for the run's own width
    };

    std::vector<Part> mParts;
    QString mError;
    bool mNeedsCaptureInfo = false;
    bool mNeedsSize = false;
};

} // namespace vantrel
