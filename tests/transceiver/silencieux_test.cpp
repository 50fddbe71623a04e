// The squelch between the received characters and a front-end's output:
// what it hands on for the S/N readings of a recording's typical moments.
#include "transceiver/silencieux.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

namespace talven {
namespace {

// One step: an S/N reading ("0.14"), characters received ("'CQ "), or the
// end of reception ("fin").
struct CasSilencieux {
  const char* nom;
  double seuil;
  std::vector<std::string> pas;
  std::string attendu;  // what is handed on, in order
};

std::string Deroulement(const CasSilencieux& c) {
  std::string sortie;
  Silencieux s(c.seuil, [&sortie](uint8_t x) { sortie += static_cast<char>(x); });
  for (const std::string& p : c.pas) {
    if (p == "fin") {
      s.Fin();
    } else if (p[0] == '\'') {
      for (char x : p.substr(1)) s.Caractere(static_cast<uint8_t>(x));
    } else {
      s.Mesure(std::stod(p));
    }
  }
  return sortie;
}

class TableSilencieux : public testing::TestWithParam<CasSilencieux> {};

TEST_P(TableSilencieux, HandsOnOnlyTheStationsCharacters) {
  EXPECT_EQ(Deroulement(GetParam()), GetParam().attendu);
}

constexpr double D = Silencieux::Seuil_defaut;

INSTANTIATE_TEST_SUITE_P(
    Cas, TableSilencieux,
    testing::Values(
        // Digital silence: "???" reads 0; what the chain makes of it never shows.
        CasSilencieux{"silence", D, {"0", "'PR", "0", "0", "' A", "0", "0", "'C", "fin"}, ""},
        // Noise alone stays below the threshold.
        CasSilencieux{
            "bruit",
            D,
            {"0.001", "'8N", "0.004", "'I5", "0.006", "'A T", "0.003", "0.005", "'SSK", "0.002", "fin"},
            ""},
        // A station after silence: the S/N jumps at its first buffer; what was
        // decoded before it, and in its first two spectra while the chain
        // locks on ("." here), is dropped; everything after is kept.
        CasSilencieux{"station apres silence",
                      D,
                      {"0",     "'PR",  "0",     "'A",   "0.202", "'.",   "0.171", "'.",    "0.148", "'CQ",
                       "0.143", "' DE", "0.148", "' F6", "0.142", "'XYZ", "0.140", "0.136", "' K",   "fin"},
                      "CQ DE F6XYZ K"},
        // A weak station in noise: the S/N climbs through a quarter of the
        // threshold (from 0.003) before it reaches it; the characters of the
        // climb are kept, the older ones not.
        CasSilencieux{"remontee",
                      D,
                      {"0.001", "'X", "0.003", "'..", "0.004", "'.", "0.005", "'C", "0.006", "'Q", "0.008",
                       "' ", "0.012", "'DE", "fin"},
                      "CQ DE"},
        // The look back reaches 9 spectra at most (from C on), then the
        // first two are the locking on.
        CasSilencieux{
            "remontee bornee",
            D,
            {"0.004", "'A", "0.004", "'B", "0.004", "'C", "0.004", "'D", "0.004", "'E", "0.004", "'F",
             "0.004", "'G", "0.004", "'H", "0.004", "'I", "0.004", "'J", "0.011", "'K", "fin"},
            "EFGHIJK"},
        // The station stops, its neighbour 60 Hz away goes on: the S/N falls
        // over the 9 spectra it sums; the characters after the last spectrum
        // at 85 % of the mean since the opening or more (0.045; the mean is
        // 0.049) are dropped.
        CasSilencieux{"arret, le voisin continue",
                      D,
                      {"0.05",  "'..",   "0.05", "'.",   "0.05", "'CQ",   "0.05", "' DE",  "0.045", "' K",
                       "0.035", "0.024", "'SU",  "0.02", "'E",   "0.013", "'1",   "0.006", "'E",    "0",
                       "'S",    "0",     "'O",   "0",    "'RE",  "0",     "'OK",  "0",     "fin"},
                      "CQ DE K"},
        // A fade shorter than the hold time chops nothing.
        CasSilencieux{"evanouissement court",
                      D,
                      {"0.14", "'..", "0.14", "'.", "0.14", "'AB", "0.003", "'CD", "0.003", "'EF", "0.14",
                       "'GH", "fin"},
                      "ABCDEFGH"},
        // Between half the threshold and the threshold it stays open
        // (hysteresis).
        CasSilencieux{"entre les seuils",
                      D,
                      {"0.012", "0.012", "0.012", "'AB", "0.007", "'C", "0.007", "0.007", "'D", "0.007",
                       "0.007", "'E", "0.007", "fin"},
                      "ABCDE"},
        // A longer one closes: what came during it is dropped, and the
        // station is taken up again when the S/N comes back.
        CasSilencieux{"evanouissement long",
                      D,
                      {"0.14",  "'..",   "0.14", "0.14",  "'AB",   "0.001", "'xx",   "0.001",
                       "'yy",   "0.001", "'zz",  "0.001", "0.001", "0.001", "0.001", "0.001",
                       "0.001", "0.001", "0.14", "'..",   "0.14",  "0.14",  "'CD",   "fin"},
                      "ABCD"},
        // At the end of reception a station still there keeps everything,
        // even past a spectrum below its usual S/N...
        CasSilencieux{"fin, station presente",
                      D,
                      {"0.14", "0.14", "0.14", "'AB", "0.14", "'CD", "0.10", "'EF", "fin"},
                      "ABCDEF"},
        // ... and one that has just gone loses what came after its end.
        CasSilencieux{"fin, station partie",
                      D,
                      {"0.14", "0.14", "0.14", "'AB", "0.14", "0.08", "'xy", "0.003", "'zz", "fin"},
                      "AB"},
        // A threshold above the station's S/N keeps everything back.
        CasSilencieux{"seuil eleve", 0.1, {"0.05", "0.05", "0.05", "'CQ", "0.05", "' DE", "0.06", "fin"}, ""},
        // Without "fin" nothing comes out before 9 spectra.
        CasSilencieux{
            "retenu",
            D,
            {"0.14", "0.14", "0.14", "'A", "0.14", "0.14", "0.14", "0.14", "0.14", "0.14", "0.14", "0.14"},
            ""}),
    [](const testing::TestParamInfo<CasSilencieux>& i) {
      std::string n = i.param.nom;
      for (char& c : n)
        if (c == ' ' || c == ',') c = '_';
      return n;
    });

// While the station is there, each character comes out 9 spectra after the
// spectrum before it, in order.
TEST(Silencieux, StreamsEachCharacterNineSpectraLate) {
  std::string sortie;
  Silencieux s(Silencieux::Seuil_defaut, [&sortie](uint8_t x) { sortie += static_cast<char>(x); });
  for (int k = 0; k <= Silencieux::Accrochage; ++k) s.Mesure(0.14);
  s.Caractere('A');
  s.Mesure(0.14);
  s.Caractere('B');
  for (int k = 2; k < Silencieux::Retard; ++k) s.Mesure(0.14);
  EXPECT_EQ(sortie, "");
  s.Mesure(0.14);
  EXPECT_EQ(sortie, "A");
  s.Mesure(0.14);
  EXPECT_EQ(sortie, "AB");
  EXPECT_TRUE(s.Ouvert());
}

// A station that grows weaker over a long contact: its end is judged
// against its recent S/N, not against its start.
TEST(Silencieux, FollowsAStationWhoseStrengthDrifts) {
  std::string sortie;
  Silencieux s(Silencieux::Seuil_defaut, [&sortie](uint8_t x) { sortie += static_cast<char>(x); });
  for (int k = 0; k < 20; ++k) {
    s.Mesure(0.14);
    s.Caractere('A');
  }
  for (int k = 0; k < 40; ++k) {
    s.Mesure(0.05);
    s.Caractere('B');
  }
  for (double r : {0.04, 0.03, 0.02, 0.01, 0.004, 0.003, 0.002}) {
    s.Mesure(r);
    s.Caractere('x');
  }
  EXPECT_FALSE(s.Ouvert());
  EXPECT_EQ(sortie, std::string(20 - Silencieux::Accrochage, 'A') + std::string(40, 'B'));
}

TEST(Silencieux, RefusesAThresholdOutOfRange) {
  for (double seuil : {0.0, -0.01, 100.5, std::nan("")})
    EXPECT_THROW(Silencieux(seuil, nullptr), std::invalid_argument) << seuil;
  EXPECT_EQ(Silencieux(100.0, nullptr).Seuil(), 100.0);
}

TEST(Silencieux, ReadsTheSnLabelOfBothLanguages) {
  struct Cas {
    const char* etiquette;
    std::optional<double> valeur;
  };
  for (const Cas& c :
       {Cas{"S/N= 3.250", 3.25}, Cas{"S/B= 0.014", 0.014}, Cas{"S/N=99.999", 99.999}, Cas{"S/N>100", 100.0},
        Cas{"S/B>100", 100.0}, Cas{"S/N=???", 0.0}, Cas{"S/B=???", 0.0}, Cas{"", std::nullopt},
        Cas{"S/N=", std::nullopt}, Cas{"S/N=abc", std::nullopt}, Cas{"S/N=-1.000", std::nullopt},
        Cas{"S/N>50", std::nullopt}, Cas{"level", std::nullopt}})
    EXPECT_EQ(Silencieux::Lecture_s_sur_b(c.etiquette), c.valeur) << c.etiquette;
}

}  // namespace
}  // namespace talven
