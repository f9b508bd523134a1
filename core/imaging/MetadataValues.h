#pragma once

#include <QString>
#include <QVariant>
#include <cstdint>
#include <string_view>

// Text and number helpers shared by the readers of photo metadata.
namespace vantrel::metadata {

// Metadata text up to the first NUL, trailing spaces dropped; UTF-8 when it is valid
// UTF-8, Latin-1 otherwise.
QString decodeText(std::string_view bytes);

// The decoded text, or an invalid QVariant when nothing is left of it.
QVariant textOrNothing(std::string_view bytes);

// An int when the value fits one, a qlonglong otherwise.
QVariant integer(long long value);

double roundedTo(double value, double step);

std::uint32_t bigEndian32(const unsigned char* p);
std::uint16_t bigEndian16(const unsigned char* p);

} // namespace vantrel::metadata
