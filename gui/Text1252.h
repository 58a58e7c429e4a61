// The one place where the core's single-byte Windows-1252 text meets Qt's
// Unicode strings. Every view converts through these two functions.
#pragma once

#include <QFont>
#include <QString>
#include <string>
#include <string_view>

namespace vorne {

// Bytes 0x80-0x9F take the Windows-1252 characters (the euro sign, curly
// quotes, dashes); the five bytes that code page leaves undefined keep their
// C1 code points so that any byte string survives a round trip.
QString ToQt(std::string_view text);

// Characters outside Windows-1252 become "?".
std::string FromQt(const QString& text);

// "Courier New" (Liberation Mono here): sheet lines, docket lines and
// listings line up in columns only in a fixed pitch.
QFont FixedPitchFont();

}  // namespace vorne
