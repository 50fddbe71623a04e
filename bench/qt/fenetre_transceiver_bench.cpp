// Processor time the transceiver window costs while it receives a simulated
// station paced in real time: the simulated card completes a buffer every
// third of a second from its own thread (standing for the sound card), the
// window runs its real-time loop, decodes, and draws the spectrum and the
// text. Reported as a percentage of one core over the run: the
// user-interface thread (the window and the signal processing it drives)
// and the whole process (the simulated far end's modulation and noise
// included, which a real sound card would not cost).
//
//   talven_fenetre_bench [--benchmark_min_time=...]   (TALVEN_BENCH_SECONDES=60 by default)
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <chrono>
#include <cstdlib>

#include "app/station/station.h"
#include "common/messages.h"
#include "transceiver/qt/traducteur_editeur_psk_fenetre.h"
#include "transceiver/station_distante.h"

namespace {

double Secondes(const timeval& t) {
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
}

double Temps_processeur(int qui) {
  rusage r{};
  getrusage(qui, &r);
  return Secondes(r.ru_utime) + Secondes(r.ru_stime);
}

int Duree_secondes() {
  const char* s = std::getenv("TALVEN_BENCH_SECONDES");
  const int n = s != nullptr ? std::atoi(s) : 60;
  return n > 0 ? n : 60;
}

void BM_Fenetre_reception_temps_reel(benchmark::State& state) {
  const int duree = Duree_secondes();
  for (auto _ : state) {
    talven::Boite_messages_muette boite;
    talven::Parametres_station p;
    p.rythme = talven::SonSimule::Rythme::Temps_reel;
    p.mixer = talven::Parametres_station::Mixer::Simule;
    talven::Station station(p, boite);
    talven::StationDistante::Parametres distante;
    distante.Texte_a_envoyer = "CQ CQ CQ DE F6XYZ F6XYZ F6XYZ PSE K\r";
    distante.Frequence = 10000;
    distante.Snr_db = 0.0;
    station.Carte_simulee()->Source_generateur(talven::StationDistante::Generateur(distante));
    station.moteur.Classe_processeur = static_cast<int32_t>(state.range(0));

    talven::TForm3 fenetre(station.moteur, station.langue);
    fenetre.show();
    // The operator tunes onto the station a second in.
    QTimer::singleShot(1000, &fenetre,
                       [&] { station.moteur.Image_spectreMouseDown(station.moteur.Pixel_canal(1000 / 3)); });
    QTimer::singleShot(duree * 1000, &fenetre, [] { QApplication::quit(); });

    const double debut_fil = Temps_processeur(RUSAGE_THREAD);
    const double debut_processus = Temps_processeur(RUSAGE_SELF);
    QElapsedTimer montre;
    montre.start();
    QApplication::exec();
    const double ecoule = static_cast<double>(montre.nsecsElapsed()) * 1e-9;
    const double fil = Temps_processeur(RUSAGE_THREAD) - debut_fil;
    const double processus = Temps_processeur(RUSAGE_SELF) - debut_processus;

    state.SetIterationTime(ecoule);
    state.counters["ui_thread_cpu_pct"] = 100.0 * fil / ecoule;
    state.counters["process_cpu_pct"] = 100.0 * processus / ecoule;
    state.counters["buffers"] = static_cast<double>(station.moteur.Tampons_recus());
    state.counters["decoded_chars"] =
        static_cast<double>(station.moteur.Texte_memo(talven::MemoFenetre::Memo1).size());
    fenetre.hide();
  }
}
BENCHMARK(BM_Fenetre_reception_temps_reel)
    ->Arg(2)
    ->Arg(1)
    ->ArgName("class")
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
  // Drawn as on a screen, without needing one.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  QApplication::setStyle(QStringLiteral("Fusion"));
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
