// talven-modem as a headless station on a real sound stack: a private
// PulseAudio server whose only sink is a null sink, so that what `transmit`
// plays comes back on the sink's monitor, which `receive` records in real
// time. Skipped where pulseaudio cannot run.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "audio/fonctions_mixer.h"
#include "audio/mixer_alsa.h"
#include "tests/cli/lancement_modem.h"

namespace talven::test {
namespace {

namespace fs = std::filesystem;

class ServeurPulse {
 public:
  ServeurPulse() : dossier_(Dossier_temporaire("pulse")) {
    socket_ = (dossier_ / "native").string();
    pid_ = ::fork();
    if (pid_ == 0) {
      ::setenv("HOME", dossier_.c_str(), 1);
      ::setenv("XDG_RUNTIME_DIR", dossier_.c_str(), 1);
      const std::string protocole =
          "--load=module-native-protocol-unix socket=" + socket_ + " auth-anonymous=1";
      ::execlp("pulseaudio", "pulseaudio", "--daemonize=no", "--exit-idle-time=-1", "-n", "--disable-shm=yes",
               "--load=module-null-sink sink_name=talven_nul", protocole.c_str(), "--log-target=stderr",
               static_cast<char*>(nullptr));
      ::_exit(127);
    }
    const auto fin = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (pid_ > 0 && !fs::exists(socket_) && std::chrono::steady_clock::now() < fin) {
      if (::waitpid(pid_, nullptr, WNOHANG) == pid_) pid_ = -1;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (Pret()) ::setenv("PULSE_SERVER", ("unix:" + socket_).c_str(), 1);
  }
  ~ServeurPulse() {
    ::unsetenv("PULSE_SERVER");
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
    }
    fs::remove_all(dossier_);
  }
  bool Pret() const { return pid_ > 0 && fs::exists(socket_); }

 private:
  fs::path dossier_;
  std::string socket_;
  pid_t pid_ = -1;
};

// The whole text arrives, its last character included: the transmitter is
// stopped only once the buffers carrying its end have been played. Ctrl-C
// ends the receiver cleanly with status 0.
TEST(StationPulse, TransmittedTextIsReceivedWhole) {
  ServeurPulse serveur;
  if (!serveur.Pret()) GTEST_SKIP() << "pulseaudio could not be started here";
  ProcessusModem reception({"receive", "--device", "pulse", "-f", "1200.0"});
  std::this_thread::sleep_for(std::chrono::seconds(1));
  Execution emission = Lancer_modem({"transmit", "--device", "pulse", "-f", "1200.0", "TEST DE F6XYZ K"});
  EXPECT_EQ(emission.code, 0) << emission.erreurs;
  std::this_thread::sleep_for(std::chrono::milliseconds(700));
  reception.Interrompre();
  Execution recu = reception.Attendre();
  EXPECT_EQ(recu.code, 0) << recu.erreurs;
  EXPECT_NE(recu.sortie.find("TEST DE F6XYZ K"), std::string::npos) << recu.sortie;
}

// A receiver printing into a pipe whose reader has gone stops by itself at
// the first character it cannot write, with status 1 and the reason,
// neither killed by SIGPIPE nor receiving for nobody until Ctrl-C.
TEST(StationPulse, ReceiverStopsWhenNobodyReadsItsOutput) {
  ServeurPulse serveur;
  if (!serveur.Pret()) GTEST_SKIP() << "pulseaudio could not be started here";
  ProcessusModem reception({"receive", "--device", "pulse", "-f", "1200.0"}, {}, {},
                           Sortie_modem::Tube_orphelin);
  std::this_thread::sleep_for(std::chrono::seconds(1));
  Execution emission = Lancer_modem({"transmit", "--device", "pulse", "-f", "1200.0", "TEST DE F6XYZ K"});
  EXPECT_EQ(emission.code, 0) << emission.erreurs;
  Execution recu = reception.Attendre();
  EXPECT_EQ(recu.signal, 0);
  EXPECT_EQ(recu.code, 1) << recu.erreurs;
  EXPECT_NE(recu.erreurs.find("standard output: Broken pipe"), std::string::npos) << recu.erreurs;
}

// Ctrl-C in the middle of a transmission: the rest of the text is dropped,
// the transmission drains and stops, and the status says it was cut short.
TEST(StationPulse, InterruptedTransmissionEndsCleanly) {
  ServeurPulse serveur;
  if (!serveur.Pret()) GTEST_SKIP() << "pulseaudio could not be started here";
  ProcessusModem emission({"transmit", "--device", "pulse", "A LONG TEXT THAT WILL NOT BE SENT TO ITS END"});
  std::this_thread::sleep_for(std::chrono::seconds(2));
  const auto debut = std::chrono::steady_clock::now();
  emission.Interrompre();
  Execution e = emission.Attendre();
  EXPECT_LT(std::chrono::steady_clock::now() - debut, std::chrono::seconds(5));
  EXPECT_EQ(e.code, 1);
  EXPECT_NE(e.erreurs.find("interrupted"), std::string::npos) << e.erreurs;
}

// Morse through the sound card: "E" lasts four buffers of a quarter of a
// second; Ctrl-C in the middle of a long text stops within a buffer or so
// and the status says it was cut short.
TEST(StationPulse, MorseIsSentInRealTimeAndCtrlCStopsIt) {
  ServeurPulse serveur;
  if (!serveur.Pret()) GTEST_SKIP() << "pulseaudio could not be started here";
  const auto debut = std::chrono::steady_clock::now();
  Execution e = Lancer_modem({"morse", "--device", "pulse", "E"});
  EXPECT_EQ(e.code, 0) << e.erreurs;
  EXPECT_GE(std::chrono::steady_clock::now() - debut, std::chrono::milliseconds(900));

  ProcessusModem longue({"morse", "--device", "pulse", "PARIS PARIS PARIS PARIS PARIS"});
  std::this_thread::sleep_for(std::chrono::seconds(2));
  const auto interruption = std::chrono::steady_clock::now();
  longue.Interrompre();
  Execution i = longue.Attendre();
  EXPECT_LT(std::chrono::steady_clock::now() - interruption, std::chrono::seconds(2));
  EXPECT_EQ(i.code, 1);
  EXPECT_NE(i.erreurs.find("interrupted"), std::string::npos) << i.erreurs;
}

// The default device of a desktop running PulseAudio has everything the
// start-up check looks for, with either input, and the exit gives its
// volume back.
TEST(MixerPulse, DefaultDeviceHasEverythingTheProgramSets) {
  ServeurPulse serveur;
  if (!serveur.Pret()) GTEST_SKIP() << "pulseaudio could not be started here";
  MixerAlsa alsa("default");
  if (alsa.Nombre_mixers() == 0) GTEST_SKIP() << "the default device does not lead to PulseAudio here";
  Ligne_mixer hp;
  std::vector<Controle_mixer> controles;
  ASSERT_EQ(alsa.Ligne_par_type(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, hp), MMSYSERR_NOERROR);
  ASSERT_EQ(alsa.Controles(hp.Identifiant, controles), MMSYSERR_NOERROR);
  ASSERT_FALSE(controles.empty());
  ASSERT_EQ(controles[0].Type, MIXERCONTROL_CONTROLTYPE_VOLUME);
  std::vector<uint32_t> avant, regle, apres;
  ASSERT_EQ(alsa.Lecture(controles[0].Identifiant, 2, 0, avant), MMSYSERR_NOERROR);
  for (bool micro : {false, true}) {
    SCOPED_TRACE(micro ? "microphone" : "line input");
    FonctionsMixer f(&alsa);
    f.Choix_microphone = micro;
    f.Volume_haut_parleur = 20;
    f.Reglage_mixer();
    EXPECT_TRUE(f.Mixer_present && f.Enregistrement_trouve && f.Haut_parleurs_trouves &&
                f.Sortie_wave_trouvee && f.Source_selectionnee && f.Entree_restitution_trouvee &&
                f.Controle_volume_trouve);
    ASSERT_EQ(alsa.Lecture(controles[0].Identifiant, 2, 0, regle), MMSYSERR_NOERROR);
    EXPECT_EQ(regle, (std::vector<uint32_t>{65536 / 100 * 20, 65536 / 100 * 20}));
    f.Restauration_mixer();
    ASSERT_EQ(alsa.Lecture(controles[0].Identifiant, 2, 0, apres), MMSYSERR_NOERROR);
    EXPECT_EQ(apres, avant);
  }
}

}  // namespace
}  // namespace talven::test
