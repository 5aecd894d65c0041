#pragma once

#include <QString>
#include <string>
#include <string_view>

// The core keeps text as bytes: what Kelmora writes is UTF-8, while files made on Windows
// hold Windows-1252. Widgets need characters.

// Valid UTF-8 is decoded as UTF-8; anything else byte by byte as Windows-1252.
QString TextFromBytes(std::string_view bytes);

// UTF-8.
std::string BytesFromText(const QString& text);
