#include "common/texte.h"

#include <array>
#include <cstdint>

namespace talven {
namespace {

// Code points of the bytes 0x80..0x9F of Windows-1252 (0 where undefined).
constexpr std::array<char32_t, 32> Plage_80_9F = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char32_t Point_de_code(unsigned char octet) {
  if (octet >= 0x80 && octet <= 0x9F) {
    char32_t p = Plage_80_9F[octet - 0x80];
    return p != 0 ? p : octet;
  }
  return octet;
}

char Octet_de(char32_t p) {
  if (p < 0x80 || (p >= 0xA0 && p <= 0xFF)) return static_cast<char>(p);
  for (std::size_t i = 0; i < Plage_80_9F.size(); ++i)
    if (Plage_80_9F[i] == p) return static_cast<char>(0x80 + i);
  return '?';
}

}  // namespace

char32_t Point_de_code_windows_1252(unsigned char octet) {
  return Point_de_code(octet);
}

bool Octet_windows_1252(char32_t point, char& octet) {
  octet = Octet_de(point);
  return octet != '?' || point == U'?';
}

Texte Depuis_utf8(VueTexte utf8) {
  Texte resultat;
  resultat.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    auto o = static_cast<unsigned char>(utf8[i]);
    char32_t p = o;
    std::size_t n = 1;
    if (o >= 0xF0) {
      p = o & 0x07;
      n = 4;
    } else if (o >= 0xE0) {
      p = o & 0x0F;
      n = 3;
    } else if (o >= 0xC0) {
      p = o & 0x1F;
      n = 2;
    } else if (o >= 0x80) {
      resultat.push_back('?');
      ++i;
      continue;
    }
    if (i + n > utf8.size()) {
      resultat.push_back('?');
      break;
    }
    for (std::size_t k = 1; k < n; ++k) p = (p << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    resultat.push_back(Octet_de(p));
    i += n;
  }
  return resultat;
}

std::string Vers_utf8(VueTexte cp1252) {
  std::string resultat;
  resultat.reserve(cp1252.size());
  for (char c : cp1252) {
    char32_t p = Point_de_code(static_cast<unsigned char>(c));
    if (p < 0x80) {
      resultat.push_back(static_cast<char>(p));
    } else if (p < 0x800) {
      resultat.push_back(static_cast<char>(0xC0 | (p >> 6)));
      resultat.push_back(static_cast<char>(0x80 | (p & 0x3F)));
    } else {
      resultat.push_back(static_cast<char>(0xE0 | (p >> 12)));
      resultat.push_back(static_cast<char>(0x80 | ((p >> 6) & 0x3F)));
      resultat.push_back(static_cast<char>(0x80 | (p & 0x3F)));
    }
  }
  return resultat;
}

}  // namespace talven
