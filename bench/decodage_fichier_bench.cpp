// Decoding a sound file as `talven-modem decode` does it: the file read and
// brought to 11025 Hz by the simulated card, each input buffer recorded,
// taken by the engine's receive pipeline (level, gain control, spectrum and
// S/N) and every sample run through the receive chain. The counter
// x_real_time is seconds of audio decoded per second of processor time.
#include <benchmark/benchmark.h>
#include <sndfile.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "app/station/station.h"
#include "audio/son_simule.h"
#include "common/arrondi.h"
#include "transceiver/modulateur.h"
#include "transceiver/traducteur_editeur_psk.h"

namespace {

constexpr double Temps_reel = 11025.0;  // samples per second of audio
constexpr int32_t Frequence = 10000;    // tenths of a hertz

// Five minutes of a TALVEN transmission at 1000 Hz with white noise, written once
// as an 8-bit unsigned mono WAV file at 11025 Hz.
const std::string& Fichier_de_test() {
  static const std::string chemin = [] {
    talven::FiltrePasseBande filtre;
    talven::Modulateur modulateur(filtre);
    modulateur.Init_modulation(Frequence);
    talven::Echantillons signal;
    const char* texte = "CQ CQ DE F6XYZ F6XYZ PSE K ";
    while (signal.size() < 300 * 11025)
      for (const char* c = texte; *c != '\0'; ++c)
        modulateur.Modulation_caractere(static_cast<uint8_t>(*c), signal);
    std::mt19937 generateur(3);
    std::normal_distribution<double> bruit(0.0, 20.0);
    for (uint8_t& e : signal)
      e = static_cast<uint8_t>(std::clamp(std::lround(e + bruit(generateur)), 1L, 255L));
    std::string p = (std::filesystem::temp_directory_path() / "talven-decodage-bench.wav").string();
    SF_INFO info{};
    info.samplerate = 11025;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_U8;
    SNDFILE* f = sf_open(p.c_str(), SFM_WRITE, &info);
    sf_write_raw(f, signal.data(), static_cast<sf_count_t>(signal.size()));
    sf_close(f);
    return p;
  }();
  return chemin;
}

// Decodes the whole file once through the engine; returns the samples
// decoded.
int64_t Decodage(const std::string& chemin, int32_t classe, int64_t echantillons) {
  talven::Boite_messages_muette boite;
  talven::Station station(talven::Parametres_station{}, boite);
  talven::SonSimule& carte = *station.Carte_simulee();
  carte.Source_fichier(chemin);
  talven::TraducteurEditeurPsk& m = station.moteur;
  m.Classe_processeur = classe;
  m.A_l_activation_de_la_fiche();
  m.Accord(Frequence);
  m.Relance_traduction();
  const int64_t tampons =
      (echantillons + talven::Reception::Taille_tampon - 1) / talven::Reception::Taille_tampon;
  for (int64_t b = 0; b < tampons; ++b) {
    carte.Completer_entree();
    const uint64_t pris = m.Tampons_recus();
    // Bounded: each call takes the buffer or processes at least one sample.
    for (int k = 0; k < 4 * talven::Reception::Taille_tampon && m.Tampons_recus() == pris; ++k) m.Timer();
    for (int k = 0; k < 4 * talven::Reception::Taille_tampon && m.Echantillons_en_attente(); ++k) m.Timer();
  }
  benchmark::DoNotOptimize(m.Texte_memo(talven::MemoFenetre::Memo1).size());
  return tampons * talven::Reception::Taille_tampon;
}

void BM_Decodage_fichier(benchmark::State& state) {
  const auto classe = static_cast<int32_t>(state.range(0));
  const std::string& chemin = Fichier_de_test();
  SF_INFO info{};
  SNDFILE* f = sf_open(chemin.c_str(), SFM_READ, &info);
  sf_close(f);
  int64_t total = 0;
  for (auto _ : state) total += Decodage(chemin, classe, info.frames);
  state.SetItemsProcessed(total);
  state.counters["x_real_time"] =
      benchmark::Counter(static_cast<double>(total) / Temps_reel, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Decodage_fichier)->Arg(1)->Arg(2)->ArgName("class")->Unit(benchmark::kMillisecond);

}  // namespace
