// Text of the system: Windows-1252 bytes, never converted inside the core.
// Widgets convert at their own boundary; files store the bytes as they are.
#pragma once

#include <string>
#include <string_view>

namespace talven {

// A byte string in the Windows-1252 code page ("Å" is 197, "É" is 201).
using Texte = std::string;
using VueTexte = std::string_view;

// Builds a Windows-1252 text from a UTF-8 literal of the source code, so that
// messages with accents can be written legibly. Characters outside
// Windows-1252 become '?'.
Texte Depuis_utf8(VueTexte utf8);

// The inverse, for terminals and widgets.
std::string Vers_utf8(VueTexte cp1252);

// One character across a widget's boundary: the Unicode code point of a
// Windows-1252 byte, and the byte of a code point (false when Windows-1252
// has none, so that a typed character outside it can be refused rather than
// sent as '?').
char32_t Point_de_code_windows_1252(unsigned char octet);
bool Octet_windows_1252(char32_t point, char& octet);

}  // namespace talven
