// Throughput of the modem's signal processing, in samples per second and as
// a multiple of real time (11025 samples per second of audio).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "dsp/fourier_entier.h"
#include "transceiver/code_caractere.h"
#include "transceiver/decodeur_hors_ligne.h"
#include "transceiver/filtre_passe_bande.h"
#include "transceiver/modulateur.h"

namespace {

constexpr double Temps_reel = 11025.0;  // samples per second of audio

void Compteurs(benchmark::State& state, int64_t echantillons_par_iteration) {
  const auto total = static_cast<double>(state.iterations() * echantillons_par_iteration);
  state.SetItemsProcessed(static_cast<int64_t>(total));
  state.counters["x_real_time"] = benchmark::Counter(total / Temps_reel, benchmark::Counter::kIsRate);
}

// Ten seconds of a TALVEN signal at 1000 Hz with noise, as the sound card
// would deliver it.
std::vector<uint8_t> Signal_de_test() {
  talven::FiltrePasseBande filtre;
  talven::Modulateur modulateur(filtre);
  modulateur.Init_modulation(10000);
  talven::Echantillons sortie;
  const char* texte = "CQ CQ DE F6XYZ F6XYZ PSE K ";
  while (sortie.size() < 110250)
    for (const char* c = texte; *c != '\0'; ++c) modulateur.Modulation_caractere(static_cast<uint8_t>(*c), sortie);
  std::mt19937 generateur(3);
  std::normal_distribution<double> bruit(0.0, 20.0);
  std::vector<uint8_t> signal(sortie.begin(), sortie.begin() + 110250);
  for (uint8_t& e : signal) e = static_cast<uint8_t>(std::clamp(std::lround(e + bruit(generateur)), 1L, 255L));
  return signal;
}

// The whole per-sample receive chain: band-pass filter, limiter, demodulator,
// Costas loop, matched filter, decimation, symbol timing, bit decisions and
// character decoding.
void BM_Chaine_reception(benchmark::State& state) {
  const auto classe = static_cast<int32_t>(state.range(0));
  const std::vector<uint8_t> signal = Signal_de_test();
  talven::DecodeurHorsLigne recepteur(10000, classe);
  for (auto _ : state) {
    recepteur.Traitement(signal);
    benchmark::DoNotOptimize(recepteur.chaine.Compteur_echantillons);
    recepteur.memo1.Effacement();
  }
  Compteurs(state, static_cast<int64_t>(signal.size()));
}
BENCHMARK(BM_Chaine_reception)->Arg(1)->Arg(2)->ArgName("class")->Unit(benchmark::kMillisecond);

// The spectrum of one input buffer: 2048-point integer FFT, magnitudes and
// the sum of nine spectra. One per buffer of 3675 samples.
void BM_Pas_fft(benchmark::State& state) {
  talven::FourierEntier fft;
  fft.Init_fourier_entier();
  std::mt19937 generateur(5);
  std::uniform_int_distribution<int32_t> tirage(-20000, 20000);
  std::vector<int32_t> bloc(2048);
  for (int32_t& x : bloc) x = tirage(generateur);
  for (auto _ : state) {
    std::copy(bloc.begin(), bloc.end(), fft.Entree_fft.begin());
    fft.Fourier_entier();
    fft.Module_spectre();
    fft.Moyenne_spectres();
    benchmark::DoNotOptimize(fft.Spectre.data());
  }
  Compteurs(state, 3675);
}
BENCHMARK(BM_Pas_fft)->Unit(benchmark::kMicrosecond);

// The transmit filter: 80 taps on the phase-switched carrier.
void BM_Filtre_emission(benchmark::State& state) {
  talven::FiltrePasseBande filtre;
  talven::Modulateur modulateur(filtre);
  modulateur.Init_modulation(10000);
  constexpr int64_t bloc = 11025;
  for (auto _ : state) {
    for (int64_t i = 0; i < bloc; ++i) benchmark::DoNotOptimize(modulateur.Echantillon_module(i & 4096 ? 1 : -1));
  }
  Compteurs(state, bloc);
}
BENCHMARK(BM_Filtre_emission)->Unit(benchmark::kMicrosecond);

}  // namespace
