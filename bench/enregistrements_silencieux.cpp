// talven_enregistrements_silencieux: the three recordings on which the
// squelch of `talven-modem decode --squelch` is measured, made the same way
// every time (fixed texts, fixed seeds).
//
// Responsibilities: write, into the folder given, 16-bit mono WAV files at
// 11025 Hz:
//   silence.wav  8 s of digital silence (a recorder started before the
//                receiver), then the wanted station on 1000 Hz in white
//                noise, and 10 s of the noise alone after it stops;
//   voisin.wav   white noise throughout, a neighbour station on 1060 Hz
//                sending from the start and going on for 20 s after the
//                wanted station on 1000 Hz (started 3 s in) stops;
//   bruit.wav    60 s of the white noise alone;
// and voulu.txt, the wanted station's text as a receiver shows it.
// Collaborations: `StationDistante` makes each station's exact transmitter
// samples (without its own noise), `BruitCanal` the channel noise, at
// S/N figures stated in 2500 Hz against the wanted station; libsndfile
// writes the files.
#include <sndfile.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "transceiver/bruit_canal.h"
#include "transceiver/station_distante.h"

namespace {

using talven::BruitCanal;
using talven::StationDistante;

constexpr uint32_t Taux = 11025;
const char* const Texte_voulu = "CQ CQ CQ DE F6XYZ F6XYZ PSE K";
const char* const Texte_voisin = "QRZ? DE DL1ABC DL1ABC K ";
constexpr int32_t Frequence_voulue = 10000;  // tenths of a hertz
constexpr int32_t Frequence_voisine = 10600;
constexpr double Snr_voulu_db = -5.0;  // wanted station over the noise, 2500 Hz
constexpr double Niveau_voisin = 1.0;  // neighbour's amplitude against the wanted station's

// One station without noise: its samples, -1..+1, until it has sent its text
// once and fallen silent (`Silence`) or for `duree` samples (`Repetition`).
std::vector<float> Station(const char* texte, int32_t frequence, StationDistante::Apres_texte apres,
                           size_t duree) {
  StationDistante::Parametres p;
  p.Texte_a_envoyer = texte;
  p.Frequence = frequence;
  p.Apres = apres;
  p.Marques_avant_texte = 8;
  StationDistante s(p);
  std::vector<float> x;
  std::vector<float> bloc(1102);
  // Once the text is sent the station keeps 5 idle marks; 2 s covers them.
  size_t fin = 0;
  while (apres == StationDistante::Apres_texte::Silence ? (fin == 0 || x.size() < fin) : x.size() < duree) {
    s.Production(bloc, Taux);
    x.insert(x.end(), bloc.begin(), bloc.end());
    if (fin == 0 && s.Textes_envoyes() > 0) fin = x.size() + 2 * Taux;
  }
  if (apres != StationDistante::Apres_texte::Silence) x.resize(duree);
  return x;
}

// Mixes the noise of `graine` into `signal` (an 8-bit-step scale, the
// wanted station's power being the S/N reference) and writes the file.
bool Ecriture(const std::string& chemin, const std::vector<double>& pas8) {
  SF_INFO info{};
  info.samplerate = Taux;
  info.channels = 1;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  SNDFILE* f = sf_open(chemin.c_str(), SFM_WRITE, &info);
  if (f == nullptr) {
    std::fprintf(stderr, "%s: %s\n", chemin.c_str(), sf_strerror(nullptr));
    return false;
  }
  std::vector<float> x(pas8.size());
  for (size_t i = 0; i < x.size(); ++i) x[i] = static_cast<float>(pas8[i] / 127.0);
  const bool ok =
      sf_writef_float(f, x.data(), static_cast<sf_count_t>(x.size())) == static_cast<sf_count_t>(x.size());
  return sf_close(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "Usage: talven_enregistrements_silencieux FOLDER\n");
    return 2;
  }
  const std::string dossier = argv[1];
  // The wanted station's power, as the card gets it, sets the noise level;
  // `BruitCanal` scales signal and noise together to fit the 8 bits.
  StationDistante::Parametres reference;
  reference.Frequence = Frequence_voulue;
  const double puissance = StationDistante(reference).Puissance_signal();

  // silence.wav
  {
    BruitCanal bruit(puissance, Snr_voulu_db, 11);
    const std::vector<float> voulu =
        Station(Texte_voulu, Frequence_voulue, StationDistante::Apres_texte::Silence, 0);
    std::vector<double> x(8 * Taux, 0.0);
    for (float v : voulu) x.push_back(bruit.Echelle() * v * 127.0 + bruit.Tirage());
    for (uint32_t i = 0; i < 10 * Taux; ++i) x.push_back(bruit.Tirage());
    if (!Ecriture(dossier + "/silence.wav", x)) return 1;
  }
  // voisin.wav
  {
    BruitCanal bruit(puissance, Snr_voulu_db, 12);
    const size_t debut = 3 * Taux;
    const std::vector<float> voulu =
        Station(Texte_voulu, Frequence_voulue, StationDistante::Apres_texte::Silence, 0);
    const size_t total = debut + voulu.size() + 20 * Taux;
    const std::vector<float> voisin =
        Station(Texte_voisin, Frequence_voisine, StationDistante::Apres_texte::Repetition, total);
    // Two carriers of the same level and the noise: scaled down together
    // once more so that the sum stays within the 8 bits.
    const double e = bruit.Echelle() / 1.5;
    std::vector<double> x(total);
    for (size_t i = 0; i < total; ++i) {
      const double v = i >= debut && i - debut < voulu.size() ? voulu[i - debut] : 0.0;
      x[i] = e * 127.0 * (v + Niveau_voisin * voisin[i]) + bruit.Tirage() / 1.5;
    }
    if (!Ecriture(dossier + "/voisin.wav", x)) return 1;
  }
  // bruit.wav
  {
    BruitCanal bruit(puissance, Snr_voulu_db, 13);
    std::vector<double> x(60 * Taux);
    for (double& v : x) v = bruit.Tirage();
    if (!Ecriture(dossier + "/bruit.wav", x)) return 1;
  }
  std::ofstream(dossier + "/voulu.txt") << Texte_voulu << '\n';
  return 0;
}
