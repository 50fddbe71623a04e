// The ALSA back-end against the real ALSA library on a machine without sound
// hardware: unpaced through ALSA's file and null plugins (exact bytes both
// ways), and in real time through a PulseAudio server started here with a
// null sink, whose monitor brings back what was played.
#include "audio/son_alsa.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "audio/fonctions_wave.h"
#include "audio/messages_alsa.h"
#include "tests/support/boite_messages_enregistreuse.h"

namespace talven {
namespace {

namespace fs = std::filesystem;
using Horloge = std::chrono::steady_clock;

fs::path Dossier_temporaire(const std::string& nom) {
  fs::path d = fs::temp_directory_path() / (nom + "_" + std::to_string(::getpid()));
  fs::remove_all(d);
  fs::create_directories(d);
  return d;
}

// Polls until the header is finished, at most `limite`.
bool Attendre(const Entete_tampon* e, std::chrono::milliseconds limite) {
  auto fin = Horloge::now() + limite;
  while (!e->Termine()) {
    if (Horloge::now() > fin) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

uint8_t Motif(size_t i) {
  return static_cast<uint8_t>((i * 7 + i / 256) & 0xFF);
}

TEST(SonAlsa, LectureParLePluginFichierEcritLesOctetsDesTampons) {
  fs::path d = Dossier_temporaire("talven_alsa_lecture");
  const fs::path fichier = d / "sortie.raw";
  SonAlsa alsa("talven_lecture", "pcm.talven_lecture { type file slave.pcm { type null } file \"" +
                                     fichier.string() + "\" format raw }");
  test::Boite_messages_enregistreuse boite;
  {
    FonctionsWave w(alsa, boite);
    w.Affichage_erreurs_son = 1;
    w.Taille_tampon = 3675;
    w.Allocation_sortie();
    w.Allocation_sortie_bis();
    ASSERT_EQ(w.Ouverture_sortie_son(1, 11025), 0);
    size_t suivant = 0;
    auto remplir = [&](Entete_tampon* e) {
      for (uint32_t i = 0; i < e->Longueur_tampon; ++i) e->Donnees[i] = Motif(suivant++);
    };
    remplir(w.Entete_sortie());
    remplir(w.Entete_sortie_bis());
    ASSERT_EQ(
        w.Preparation_sortie() + w.Preparation_sortie_bis() + w.Ecriture_sortie() + w.Ecriture_sortie_bis(),
        0);
    for (int tour = 0; tour < 4; ++tour) {
      Entete_tampon* e = tour % 2 == 0 ? w.Entete_sortie() : w.Entete_sortie_bis();
      ASSERT_TRUE(Attendre(e, std::chrono::seconds(5))) << tour;
      if (tour % 2 == 0)
        w.Suppression_sortie();
      else
        w.Suppression_sortie_bis();
      remplir(e);
      if (tour % 2 == 0) {
        w.Preparation_sortie();
        w.Ecriture_sortie();
      } else {
        w.Preparation_sortie_bis();
        w.Ecriture_sortie_bis();
      }
    }
    ASSERT_TRUE(Attendre(w.Entete_sortie(), std::chrono::seconds(5)));
    ASSERT_TRUE(Attendre(w.Entete_sortie_bis(), std::chrono::seconds(5)));
    w.Arret_sortie();
    w.Suppression_sortie();
    w.Suppression_sortie_bis();
    w.Fermeture_sortie();
  }
  EXPECT_TRUE(boite.messages.empty()) << boite.En_utf8().front();
  std::ifstream f(fichier, std::ios::binary);
  std::vector<uint8_t> lu((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  ASSERT_EQ(lu.size(), 6u * 3675);
  for (size_t i = 0; i < lu.size(); ++i) ASSERT_EQ(lu[i], Motif(i)) << i;
  fs::remove_all(d);
}

TEST(SonAlsa, CaptureParLePluginFichierLivreLesOctetsDuFichier) {
  fs::path d = Dossier_temporaire("talven_alsa_capture");
  const fs::path source = d / "entree.raw";
  {
    std::ofstream f(source, std::ios::binary);
    for (size_t i = 0; i < 3 * 3675; ++i) f.put(static_cast<char>(Motif(i)));
  }
  SonAlsa alsa("talven_capture",
               "pcm.talven_capture { type file slave.pcm { type null } file \"/dev/null\" infile \"" +
                   source.string() + "\" format raw }");
  test::Boite_messages_enregistreuse boite;
  FonctionsWave w(alsa, boite);
  w.Affichage_erreurs_son = 1;
  w.Taille_tampon = 3675;
  w.Allocation_entree();
  w.Allocation_entree_bis();
  ASSERT_EQ(w.Ouverture_entree_son(1, 11025, 0), 0);
  ASSERT_EQ(w.Preparation_entree() + w.Preparation_entree_bis() + w.Ajout_tampon_entree() +
                w.Ajout_tampon_entree_bis(),
            0);
  w.Demarrage_entree();
  // The file never ends for ALSA: stop after its known length, three buffers.
  std::vector<uint8_t> recu;
  for (int tour = 0; tour < 3; ++tour) {
    Entete_tampon* e = tour % 2 == 0 ? w.Entete_entree() : w.Entete_entree_bis();
    ASSERT_TRUE(Attendre(e, std::chrono::seconds(5))) << tour;
    ASSERT_EQ(e->Octets_enregistres.load(), 3675u);
    recu.insert(recu.end(), e->Donnees, e->Donnees + 3675);
    if (tour % 2 == 0) {
      w.Suppression_entree();
      w.Preparation_entree();
      w.Ajout_tampon_entree();
    } else {
      w.Suppression_entree_bis();
      w.Preparation_entree_bis();
      w.Ajout_tampon_entree_bis();
    }
  }
  w.Arret_entree();
  w.Suppression_entree_bis();
  w.Suppression_entree();
  w.Fermeture_entree();
  EXPECT_TRUE(boite.messages.empty()) << boite.En_utf8().front();
  ASSERT_EQ(recu.size(), 3u * 3675);
  for (size_t i = 0; i < recu.size(); ++i) ASSERT_EQ(recu[i], Motif(i)) << i;
  fs::remove_all(d);
}

// Both device threads write the wake-up descriptor: every wake comes after a
// completion, and the loop sleeps on it until both buffers are done.
TEST(SonAlsa, LeDescripteurDeReveilEstEcritParLesDeuxDirections) {
  fs::path d = Dossier_temporaire("talven_alsa_reveil");
  const fs::path source = d / "entree.raw";
  std::ofstream(source, std::ios::binary) << std::string(3675, 'x');
  SonAlsa alsa("talven_reveil",
               "pcm.talven_reveil { type file slave.pcm { type null } file \"/dev/null\" infile \"" +
                   source.string() + "\" format raw }");
  test::Boite_messages_enregistreuse boite;
  FonctionsWave w(alsa, boite);
  w.Affichage_erreurs_son = 1;
  w.Taille_tampon = 3675;
  w.Allocation_entree();
  w.Allocation_sortie();
  const int fd = w.Descripteur_reveil();
  ASSERT_GE(fd, 0);
  ASSERT_EQ(w.Ouverture_entree_son(1, 11025, 0) + w.Ouverture_sortie_son(1, 11025), 0);
  ASSERT_EQ(w.Preparation_entree() + w.Ajout_tampon_entree() + w.Preparation_sortie() + w.Ecriture_sortie(),
            0);
  w.Demarrage_entree();
  const Entete_tampon* entree = w.Entete_entree();
  const Entete_tampon* sortie = w.Entete_sortie();
  for (int reveils = 0; !(entree->Termine() && sortie->Termine()); ++reveils) {
    ASSERT_LT(reveils, 2);
    pollfd p{fd, POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 5000), 1);
    w.Acquittement_reveil();
    EXPECT_TRUE(entree->Termine() || sortie->Termine());
  }
  w.Arret_entree();
  w.Fermeture_entree();
  w.Fermeture_sortie();
  EXPECT_TRUE(boite.messages.empty()) << boite.En_utf8().front();
  fs::remove_all(d);
}

TEST(SonAlsa, UnNomInconnuDonneUnCodeEtAucunPeripherique) {
  ::testing::internal::CaptureStderr();
  SonAlsa alsa("talven_inexistant");
  EXPECT_EQ(alsa.Nombre_peripheriques(Sens::Entree), 0u);
  test::Boite_messages_enregistreuse boite;
  FonctionsWave w(alsa, boite);
  w.Affichage_erreurs_son = 1;
  EXPECT_EQ(w.Ouverture_sortie_son(1, 11025), 1);
  ASSERT_EQ(boite.messages.size(), 1u);
  EXPECT_EQ(boite.En_utf8()[0], "Erreur ouverture sortie son n°:" + std::to_string(ENOENT));
  // The library's own diagnostic is kept for the operator's message, not
  // written over the program's output.
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_NE(Dernier_message_alsa().find("talven_inexistant"), std::string::npos) << Dernier_message_alsa();
}

TEST(SonAlsa, CapacitesDuPluginFichierOffrentLeFormatMinimum) {
  SonAlsa alsa("talven_nul", "pcm.talven_nul { type plug slave.pcm { type null } }");
  EXPECT_GE(alsa.Nombre_peripheriques(Sens::Sortie), 1u);
  uint32_t formats = 0;
  ASSERT_EQ(alsa.Capacites(Sens::Sortie, formats), 0u);
  EXPECT_EQ(formats & Format_1M08, Format_1M08);
  ASSERT_EQ(alsa.Capacites(Sens::Entree, formats), 0u);
  EXPECT_EQ(formats & Format_1M08, Format_1M08);
}

// A private PulseAudio server with a null sink, stopped at the end.
class Serveur_pulse {
 public:
  Serveur_pulse() : dossier_(Dossier_temporaire("talven_pulse")) {
    socket_ = (dossier_ / "native").string();
    pid_ = ::fork();
    if (pid_ == 0) {
      // Root may run a per-user server with a private home and runtime directory.
      ::setenv("HOME", dossier_.c_str(), 1);
      ::setenv("XDG_RUNTIME_DIR", dossier_.c_str(), 1);
      std::string protocole = "module-native-protocol-unix socket=" + socket_ + " auth-anonymous=1";
      std::string journal = (dossier_ / "pulse.log").string();
      ::execlp("pulseaudio", "pulseaudio", "--daemonize=no", "--exit-idle-time=-1", "-n", "--disable-shm=yes",
               "--load=module-null-sink sink_name=talven_nul", ("--load=" + protocole).c_str(),
               "--log-target=stderr", static_cast<char*>(nullptr));
      ::_exit(127);
    }
    auto fin = Horloge::now() + std::chrono::seconds(10);
    while (pid_ > 0 && !fs::exists(socket_) && Horloge::now() < fin) {
      int etat = 0;
      if (::waitpid(pid_, &etat, WNOHANG) == pid_) {
        pid_ = -1;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
  ~Serveur_pulse() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
    }
    fs::remove_all(dossier_);
  }
  bool Pret() const { return pid_ > 0 && fs::exists(socket_); }
  // The server goes away as an unplugged card would.
  void Arreter() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }
  std::string Adresse() const { return "unix:" + socket_; }

 private:
  fs::path dossier_;
  std::string socket_;
  pid_t pid_ = -1;
};

// PULSE_SERVER set for one test, removed whatever way the test ends.
struct Environnement_pulse {
  explicit Environnement_pulse(const std::string& adresse) { ::setenv("PULSE_SERVER", adresse.c_str(), 1); }
  ~Environnement_pulse() { ::unsetenv("PULSE_SERVER"); }
};

// Magnitude of the frequency `f` in unsigned 8-bit samples at 11025 Hz.
double Amplitude(const std::vector<uint8_t>& x, double f) {
  double c = 0, s = 0;
  for (size_t i = 0; i < x.size(); ++i) {
    double v = x[i] - 128.0;
    c += v * std::cos(2 * M_PI * f * i / 11025.0);
    s += v * std::sin(2 * M_PI * f * i / 11025.0);
  }
  return std::hypot(c, s) / x.size();
}

TEST(SonAlsa, TempsReelParPulseAudioLeMoniteurRendCeQuiEstJoue) {
  Serveur_pulse serveur;
  if (!serveur.Pret())
    GTEST_SKIP() << "pulseaudio could not be started here (is the pulseaudio package installed?)";
  Environnement_pulse environnement(serveur.Adresse());
  // ALSA's "default" through the pulse plugin; the only source is the null
  // sink's monitor, so capture hears what playback sends.
  SonAlsa alsa("default", "pcm.!default { type pulse } ctl.!default { type pulse }");
  test::Boite_messages_enregistreuse boite;
  FonctionsWave w(alsa, boite);
  w.Affichage_erreurs_son = 1;
  w.Taille_tampon = 1102;  // 0.1 s
  w.Allocation_entree();
  w.Allocation_entree_bis();
  w.Allocation_sortie();
  w.Allocation_sortie_bis();
  uint32_t formats = 0;
  EXPECT_EQ(alsa.Capacites(Sens::Sortie, formats), 0u);
  EXPECT_EQ(formats & Format_1M08, Format_1M08);
  ASSERT_EQ(w.Ouverture_entree_son(1, 11025, 0), 0) << boite.En_utf8().front();
  ASSERT_EQ(w.Ouverture_sortie_son(1, 11025), 0) << boite.En_utf8().front();
  w.Preparation_entree();
  w.Preparation_entree_bis();
  w.Ajout_tampon_entree();
  w.Ajout_tampon_entree_bis();
  w.Demarrage_entree();

  double phase = 0;
  auto tonalite = [&](Entete_tampon* e) {
    for (uint32_t i = 0; i < e->Longueur_tampon; ++i) {
      e->Donnees[i] = static_cast<uint8_t>(std::lround(128 + 90 * std::sin(phase)));
      phase += 2 * M_PI * 1000.0 / 11025.0;
    }
  };
  tonalite(w.Entete_sortie());
  tonalite(w.Entete_sortie_bis());
  auto debut = Horloge::now();
  w.Preparation_sortie();
  w.Preparation_sortie_bis();
  w.Ecriture_sortie();
  w.Ecriture_sortie_bis();

  // The real-time loop in small: service whichever buffer is finished.
  const int tampons_joues = 12;  // 1.2 s of tone
  int joues = 0, enregistres = 0;
  double meilleur = 0, ailleurs = 0;
  auto limite = debut + std::chrono::seconds(8);
  while ((joues < tampons_joues || enregistres < 14) && Horloge::now() < limite) {
    for (Entete_tampon* e : {w.Entete_sortie(), w.Entete_sortie_bis()}) {
      if (joues < tampons_joues && e->Termine()) {
        ++joues;
        bool premier = e == w.Entete_sortie();
        if (premier)
          w.Suppression_sortie();
        else
          w.Suppression_sortie_bis();
        tonalite(e);
        if (premier) {
          w.Preparation_sortie();
          w.Ecriture_sortie();
        } else {
          w.Preparation_sortie_bis();
          w.Ecriture_sortie_bis();
        }
      }
    }
    for (Entete_tampon* e : {w.Entete_entree(), w.Entete_entree_bis()}) {
      if (e->Octets_enregistres.load() == 1102u) {
        ++enregistres;
        std::vector<uint8_t> x(e->Donnees, e->Donnees + 1102);
        double a = Amplitude(x, 1000.0);
        if (a > meilleur) {
          meilleur = a;
          ailleurs = Amplitude(x, 1700.0);
        }
        e->Octets_enregistres = 0;
        bool premier = e == w.Entete_entree();
        if (premier)
          w.Suppression_entree();
        else
          w.Suppression_entree_bis();
        if (premier) {
          w.Preparation_entree();
          w.Ajout_tampon_entree();
        } else {
          w.Preparation_entree_bis();
          w.Ajout_tampon_entree_bis();
        }
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  auto duree = std::chrono::duration_cast<std::chrono::milliseconds>(Horloge::now() - debut).count();
  w.Arret_entree();
  w.Suppression_entree_bis();
  w.Suppression_entree();
  w.Fermeture_entree();
  w.Arret_sortie();
  w.Suppression_sortie();
  w.Suppression_sortie_bis();
  w.Fermeture_sortie();

  EXPECT_TRUE(boite.messages.empty()) << boite.En_utf8().front();
  EXPECT_EQ(joues, tampons_joues);
  EXPECT_GE(enregistres, 14);
  // Paced by the server's clock: 1.2 s of sound cannot finish much sooner.
  EXPECT_GE(duree, 900);
  // The tone comes back on the monitor, far above anything elsewhere.
  EXPECT_GT(meilleur, 20.0);
  EXPECT_LT(ailleurs, meilleur / 10);
}

TEST(SonAlsa, LaPerteDuServeurEnCoursDeLectureTermineLesTamponsAvecUnCode) {
  Serveur_pulse serveur;
  if (!serveur.Pret())
    GTEST_SKIP() << "pulseaudio could not be started here (is the pulseaudio package installed?)";
  Environnement_pulse environnement(serveur.Adresse());
  SonAlsa alsa("default", "pcm.!default { type pulse }");
  test::Boite_messages_enregistreuse boite;
  FonctionsWave w(alsa, boite);
  w.Affichage_erreurs_son = 1;
  w.Taille_tampon = 1102;
  w.Allocation_sortie();
  w.Allocation_sortie_bis();
  ASSERT_EQ(w.Ouverture_sortie_son(1, 11025), 0);
  w.Preparation_sortie();
  w.Preparation_sortie_bis();
  w.Ecriture_sortie();
  w.Ecriture_sortie_bis();
  serveur.Arreter();
  // Whatever happens to the stream, the polled buffers finish and the loop
  // can hand them back: the refill cycle never waits forever.
  for (int tour = 0; tour < 6; ++tour) {
    Entete_tampon* e = tour % 2 == 0 ? w.Entete_sortie() : w.Entete_sortie_bis();
    ASSERT_TRUE(Attendre(e, std::chrono::seconds(5))) << tour;
    if (tour % 2 == 0) {
      w.Suppression_sortie();
      w.Preparation_sortie();
      w.Ecriture_sortie();
    } else {
      w.Suppression_sortie_bis();
      w.Preparation_sortie_bis();
      w.Ecriture_sortie_bis();
    }
  }
  ASSERT_TRUE(Attendre(w.Entete_sortie(), std::chrono::seconds(5)));
  EXPECT_NE(alsa.Perte(Sens::Sortie), 0u);
  EXPECT_NE(w.Entete_sortie()->Erreur.load(), 0u);
  // Reported once, with the device's code, then stopped and closed quietly.
  ASSERT_EQ(boite.messages.size(), 1u);
  EXPECT_EQ(boite.En_utf8()[0],
            "Erreur de restitution des données n°" + std::to_string(alsa.Perte(Sens::Sortie)));
  w.Arret_sortie();
  w.Suppression_sortie();
  w.Suppression_sortie_bis();
  w.Fermeture_sortie();
  EXPECT_EQ(boite.messages.size(), 1u);
}

}  // namespace
}  // namespace talven
