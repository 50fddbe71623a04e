#include "cli/modem/commandes.h"

#include <fcntl.h>
#include <poll.h>
#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <functional>
#include <iostream>
#include <iterator>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "app/emission_morse.h"
#include "app/station/station.h"
#include "audio/messages_alsa.h"
#include "audio/son_simule.h"
#include "cli/modem/fichier_audio.h"
#include "cli/modem/mesures.h"
#include "common/arrondi.h"
#include "common/texte.h"
#include "transceiver/code_caractere.h"
#include "transceiver/silencieux.h"
#include "transceiver/traducteur_editeur_psk.h"

namespace talven::modem {

namespace {

constexpr int32_t Taille_tampon = Reception::Taille_tampon;  // samples per buffer, both directions
constexpr double Taux_carte = 11025.0;                       // Hz

int Echec(const std::string& message) {
  std::fprintf(stderr, "talven-modem: %s\n", message.c_str());
  return Sortie_echec;
}

// A sound-card failure, with the ALSA library's own diagnostic when it gave one.
int Echec_carte(const std::string& message) {
  const std::string alsa = Dernier_message_alsa();
  if (!alsa.empty()) std::fprintf(stderr, "talven-modem: ALSA: %s\n", alsa.c_str());
  return Echec(message);
}

// Ctrl-C and SIGTERM only raise this flag; the loops poll it and stop the
// station in order.
std::atomic<int> interruptions{0};
// The descriptor of a stream being decoded, -1 when none. A Ctrl-C makes
// it read /dev/null from then on: a read waiting on a writer that sends
// nothing (libsndfile reads again when a signal interrupts it) ends there,
// and the stream with it.
std::atomic<int> flux_interrompable{-1};
extern "C" void Interruption(int) {
  interruptions.fetch_add(1, std::memory_order_relaxed);
  const int d = flux_interrompable.load();
  if (d < 0) return;
  const int e = errno;
  const int nul = open("/dev/null", O_RDONLY | O_CLOEXEC);
  if (nul >= 0) {
    dup2(nul, d);
    close(nul);
  }
  errno = e;
}

void Installation_interruption() {
  struct sigaction a {};
  a.sa_handler = Interruption;
  sigemptyset(&a.sa_mask);
  sigaction(SIGINT, &a, nullptr);
  sigaction(SIGTERM, &a, nullptr);
}

// Operator messages go to standard error, in the terminal's encoding.
class BoiteTerminal final : public Boite_messages {
 public:
  void Message(VueTexte texte) override {
    ++nombre;
    std::fprintf(stderr, "talven-modem: %s\n", Vers_utf8(texte).c_str());
  }
  int nombre = 0;
};

// What the window would show, kept for the terminal: the received text
// (Memo1, carriage return as a new line, never cut), the frequency labels,
// the lock; optionally the received characters echoed as they come; with
// --squelch, only those the squelch hands on.
class VueTerminal final : public ObservateurTransceiver {
 public:
  void Memo_caractere(MemoFenetre memo, uint8_t c) override {
    if (memo != MemoFenetre::Memo1 || !actif) return;
    if (silencieux) {
      silencieux->Caractere(c);
    } else {
      Affichage(c);
    }
  }
  void S_sur_B(VueTexte t) override {
    if (!silencieux || !actif) return;
    if (auto r = Silencieux::Lecture_s_sur_b(t)) silencieux->Mesure(*r);
  }
  // With --squelch: the characters go through the squelch first.
  void Squelch(std::optional<double> seuil) {
    if (seuil) silencieux = std::make_unique<Silencieux>(*seuil, [this](uint8_t c) { Affichage(c); });
  }
  // End of reception: what the squelch still holds.
  void Fin() {
    if (silencieux) silencieux->Fin();
  }
  // A character of Memo1 kept and, with `direct`, printed.
  void Affichage(uint8_t c) {
    if (c == 13) {
      recu += '\n';
    } else if (c == 8) {
      if (!recu.empty()) recu.pop_back();
    } else {
      recu += static_cast<char>(c);
    }
    if (direct && sortie_perdue == 0) {
      const char* s = c == 13 ? "\n" : c == 8 ? "\b \b" : nullptr;
      std::fputs(s != nullptr ? s : Vers_utf8(Texte(1, static_cast<char>(c))).c_str(), stdout);
      if (std::fflush(stdout) != 0) sortie_perdue = errno != 0 ? errno : EIO;
    }
  }
  void Etiquettes_frequences(VueTexte reception, VueTexte emission, VueTexte delta) override {
    f_reception = reception;
    f_emission = emission;
    f_delta = delta;
  }
  void Label8(bool visible) override { verrouille = visible; }

  bool actif = true;      // Memo1 recorded (false while a first pass only looks for the line)
  bool direct = false;    // also printed as received
  int sortie_perdue = 0;  // errno of the write that failed, once standard output failed
  Texte recu;
  Texte f_reception, f_emission, f_delta;
  bool verrouille = false;
  std::unique_ptr<Silencieux> silencieux;
};

// The station around the engine, with the terminal's message box and view.
// The mixer is left as the operator set it: a file has none, and a headless
// station must not change the levels of the desktop's sound card behind its
// back. The command line keeps no QSO: its record stays empty, so that a
// text or a recording of any length never fills it.
struct Poste {
  Poste(const Parametres_station& parametres, ObservateurTransceiver& vue, int32_t classe, bool maitre)
      : station(parametres, boite), moteur(station.moteur) {
    station.mixer.Reglage_logiciel = false;
    moteur.Attache_observateur(&vue);
    moteur.Classe_processeur = classe;
    moteur.Mode_maitre_actif = maitre;
  }
  // The stepped simulated card.
  static Parametres_station Simule() {
    Parametres_station p;
    p.qso = false;
    return p;
  }
  // The sound card `peripherique`, with the Linux serial driver for keying.
  static Parametres_station Reel(const std::string& peripherique) {
    Parametres_station p;
    p.carte = Parametres_station::Carte::Alsa;
    p.peripherique = peripherique;
    p.serie = Parametres_station::Serie::Linux;
    p.qso = false;
    return p;
  }
  SonSimule& Carte() { return *station.Carte_simulee(); }

  BoiteTerminal boite;
  Station station;
  TraducteurEditeurPsk& moteur;
};

// Progress on standard error, only when it is a terminal and the work long.
class Progression {
 public:
  Progression(const char* titre, uint64_t total, bool long_travail)
      : titre_(titre), total_(total), actif_(long_travail && isatty(STDERR_FILENO) == 1) {}
  ~Progression() {
    if (actif_ && affiche_ >= 0) std::fprintf(stderr, "\r%*s\r", 40, "");
  }
  void Avance(uint64_t fait) {
    if (!actif_ || total_ == 0) return;
    int p = static_cast<int>(std::min<uint64_t>(100, fait * 100 / total_));
    if (p == affiche_) return;
    affiche_ = p;
    std::fprintf(stderr, "\r%s %3d%%", titre_, p);
    std::fflush(stderr);
  }

 private:
  const char* titre_;
  uint64_t total_;
  bool actif_;
  int affiche_ = -1;
};

// The text of the command: the argument, or standard input for "-", as
// Windows-1252.
Texte Lecture_texte(const Options& o) {
  if (*o.texte != "-") return Depuis_utf8(*o.texte);
  std::string tout((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
  return Depuis_utf8(tout);
}

// The name of an output or input in messages.
std::string Nom_flux(const std::string& chemin, const char* standard) {
  return chemin == "-" ? standard : chemin;
}

// One output buffer at least has been played and waits for a refill.
bool Sortie_terminee(const FonctionsWave& w) {
  return (w.Entete_sortie() != nullptr && w.Entete_sortie()->Termine()) ||
         (w.Entete_sortie_bis() != nullptr && w.Entete_sortie_bis()->Termine());
}

// --- Transmission on the simulated card ---

// Takes each buffer the card played (8-bit unsigned, 11025 Hz) as it is
// played; false when it could not keep it (a write failed), which ends the
// sending.
using Sortie_jouee = std::function<bool(std::span<const uint8_t> echantillons)>;

struct Emission {
  uint64_t joues = 0;  // samples the card played
  Texte envoye;        // the characters queued, as translated
  uint64_t bits = 0;   // bits of their codes, separators included
};

// Drives the transmitter on a stepped simulated card: start in master mode
// on `frequence`, the text queued right after the start as if typed (refused
// characters dropped; a text longer than the queue is fed as it drains),
// then one output buffer played and refilled at a time until the
// transmission is drained, the idle buffers still queued then, and the
// stop. Each played buffer goes to `sortie` and is kept nowhere. False when
// the transmission could not start or never drained, or `sortie` failed.
bool Emission_simulee(int32_t frequence, VueTexte texte, const Sortie_jouee& sortie, Emission& e) {
  VueTerminal vue;
  Poste s(Poste::Simule(), vue, 2, true);
  SonSimule& carte = s.Carte();
  bool sortie_perdue = false;
  carte.Sortie_destinataire([&](std::span<const uint8_t> octets) {
    e.joues += octets.size();
    if (!sortie_perdue && !sortie(octets)) sortie_perdue = true;
  });
  TraducteurEditeurPsk& m = s.moteur;
  m.A_l_activation_de_la_fiche();
  m.Accord(frequence);
  m.Passage_emission();
  if (!m.Emission_active) return false;

  size_t suivant = 0;
  auto alimentation = [&] {
    while (suivant < texte.size() && m.Longueur_texte_a_emettre() < SaisieEmission::Longueur_maximale) {
      uint8_t c = m.Ajout_caractere(static_cast<uint8_t>(texte[suivant++]));
      if (c != 0) {
        e.envoye += static_cast<char>(c);
        e.bits += Code_caractere(c).size();
      }
    }
  };
  alimentation();
  Progression progression("encoding", texte.size(), texte.size() > 200);
  // A character lasts at most 10 symbols of 1102 samples, three buffers;
  // a few more drain the idle marks. A transmitter that would never drain
  // is stopped there rather than waited for.
  const uint64_t limite = 3 * static_cast<uint64_t>(texte.size()) + 16;
  for (uint64_t joues = 0;; ++joues) {
    alimentation();
    progression.Avance(suivant);
    if (suivant == texte.size() && m.Longueur_texte_a_emettre() == 0 && m.Emission_terminee()) break;
    if (joues == limite || !carte.Completer_sortie() || sortie_perdue) return false;
    // The refill of the buffer just played, then the encoding that keeps a
    // buffer's worth ahead; two passes at most, bounded all the same.
    for (int k = 0; k < 64; ++k) {
      m.Timer();
      if (!Sortie_terminee(s.station.wave) && m.Echantillons_a_emettre() >= Taille_tampon) break;
    }
  }
  // The two buffers queued when the transmission drained hold idle marks
  // only; they are played before the stop. A receiver decides a symbol a
  // little after its end (filter and timing delays), so a file that ended
  // right after the separator closing the last character would leave that
  // character undecided where the air would go on with noise.
  while (carte.Completer_sortie()) {
  }
  m.Arret_sans_retour_au_menu();
  if (m.Emission_active || sortie_perdue) return false;
  return s.boite.nombre == 0;
}

// --- Reception on the simulated card ---

struct Parametres_reception {
  int32_t frequence = 5000;  // tenths of a hertz
  bool automatique = false;  // tune on the strongest line (slave-mode click)
  int32_t classe = 2;
  bool trace = false;
  std::optional<double> squelch;  // threshold, none = every character
  // The source is a stream of unknown length (a file source that cannot
  // seek): received until it ends or Ctrl-C, never tuned automatically.
  bool flux = false;
  bool direct = false;  // the text also printed as received
};

// How the reception of a stream ended, for its checks.
struct Bilan_reception {
  uint64_t echantillons = 0;  // samples the source file gave, at 11025 Hz
  uint64_t non_finis = 0;     // of them NaN or infinite: the reception stopped there
  bool interrompue = false;   // by Ctrl-C
  int sortie_perdue = 0;      // errno of the direct output that failed
};

// Number of input buffers that hold `echantillons` samples.
uint64_t Nombre_tampons(uint64_t echantillons) {
  return (echantillons + Taille_tampon - 1) / Taille_tampon;
}

// The input buffer just recorded by the stepped card taken by the receive
// pipeline, and every pending sample processed, as a machine fast enough
// for real time would. False when the engine did not take the buffer.
bool Traitement_tampon(TraducteurEditeurPsk& m) {
  const uint64_t pris = m.Tampons_recus();
  // One call takes the buffer; each further call processes pending samples
  // until none is left. Bounded: a sample per call at worst.
  for (int k = 0; k < 4 * Taille_tampon && m.Tampons_recus() == pris; ++k) m.Timer();
  if (m.Tampons_recus() == pris) return false;
  for (int k = 0; k < 4 * Taille_tampon && m.Echantillons_en_attente(); ++k) m.Timer();
  return true;
}

// One input buffer recorded by the stepped card and processed.
bool Tampon_recu(SonSimule& carte, TraducteurEditeurPsk& m) {
  return carte.Completer_entree() && Traitement_tampon(m);
}

void Trace(uint64_t tampon, const TraducteurEditeurPsk& m, const VueTerminal& v) {
  // Before the first spectrum the S/N label is still empty: "-".
  const std::string s_sur_b = m.Texte_s_sur_b().empty() ? "-" : Vers_utf8(m.Texte_s_sur_b());
  std::fprintf(stderr, "buffer %llu level %d%% %s RX %s TX %s delta %s lock %s\n",
               static_cast<unsigned long long>(tampon), m.Niveau_signal(), s_sur_b.c_str(),
               Vers_utf8(v.f_reception).c_str(), Vers_utf8(v.f_emission).c_str(),
               Vers_utf8(v.f_delta).c_str(), v.verrouille ? "on" : "off");
}

// The buffer (1-based, counted from the start of reception) whose spectrum
// shows the strongest line between 200 and 2200 Hz, 0 when none shows any.
uint64_t Tampon_du_pic(const std::function<void(SonSimule&)>& source, uint64_t tampons, int32_t classe) {
  VueTerminal vue;
  vue.actif = false;
  Poste s(Poste::Simule(), vue, classe, false);
  SonSimule& carte = s.Carte();
  source(carte);
  s.moteur.A_l_activation_de_la_fiche();
  uint64_t meilleur = 0;
  int64_t valeur = 0;
  for (uint64_t b = 1; b <= tampons; ++b) {
    if (!Tampon_recu(carte, s.moteur)) break;
    int64_t v = s.moteur.Valeur_canal(s.moteur.Canal_pic());
    if (v > valeur) {
      valeur = v;
      meilleur = b;
    }
  }
  return meilleur;
}

// The frequency, tenths of a hertz, that a slave-mode click on the
// strongest line of buffer `clic` tunes to: the same spectrum as in the
// search, up to that buffer, and the click on its peak.
int32_t Accord_sur_pic(const std::function<void(SonSimule&)>& source, uint64_t clic, int32_t classe) {
  VueTerminal vue;
  vue.actif = false;
  Poste s(Poste::Simule(), vue, classe, false);
  SonSimule& carte = s.Carte();
  source(carte);
  TraducteurEditeurPsk& m = s.moteur;
  m.A_l_activation_de_la_fiche();
  for (uint64_t b = 1; b <= clic; ++b)
    if (!Tampon_recu(carte, m)) break;
  m.Image_spectreMouseDown(m.Pixel_canal(m.Canal_pic()));
  return m.Frequence_reference();
}

// Receives `echantillons` samples from the source that `source` sets on the
// card, or with `flux` the source file to its end, buffer by buffer; `recu`
// gets the text Memo1 shows. With `automatique`, the receiver is first tuned
// as a slave-mode click on the strongest line would tune it, then receives
// the whole source from its start in slave mode. False when the engine
// could not receive (its messages are printed).
bool Reception_simulee(const std::function<void(SonSimule&)>& source, uint64_t echantillons,
                       const Parametres_reception& p, Texte& recu, Bilan_reception* bilan = nullptr) {
  const uint64_t tampons = Nombre_tampons(echantillons);
  int32_t frequence = p.frequence;
  if (p.automatique) {
    uint64_t clic = Tampon_du_pic(source, tampons, p.classe);
    if (clic == 0) {
      std::fprintf(stderr, "talven-modem: no line found between 200 and 2200 Hz; staying on %.1f Hz\n",
                   frequence / 10.0);
    } else {
      frequence = Accord_sur_pic(source, clic, p.classe);
      std::fprintf(stderr, "tuned on the strongest line: %.1f Hz\n", frequence / 10.0);
    }
  }
  VueTerminal vue;
  vue.Squelch(p.squelch);
  vue.direct = p.direct;
  Poste s(Poste::Simule(), vue, p.classe, !p.automatique);
  SonSimule& carte = s.Carte();
  source(carte);
  TraducteurEditeurPsk& m = s.moteur;
  m.A_l_activation_de_la_fiche();
  m.Accord(frequence);
  m.Relance_traduction();
  if (!m.Reception_active) return false;
  Bilan_reception rien;
  Bilan_reception& fin = bilan != nullptr ? *bilan : rien;
  Progression progression("decoding", tampons, echantillons > 60 * 11025);
  for (uint64_t b = 1; p.flux || b <= tampons; ++b) {
    if (p.flux && interruptions.load() > 0) {
      fin.interrompue = true;
      break;
    }
    const uint64_t avant = carte.Echantillons_fichier();
    if (!carte.Completer_entree()) return false;
    // A stream ends with the buffer holding its last sample, as a file's
    // length gives it: a buffer that got nothing of it is not taken. One
    // holding samples that are not numbers stops the reception.
    fin.echantillons = carte.Echantillons_fichier();
    fin.non_finis = carte.Echantillons_non_finis();
    if (p.flux && ((carte.Fin_fichier() && fin.echantillons == avant) || fin.non_finis > 0)) break;
    if (!Traitement_tampon(m)) return false;
    if (p.trace) Trace(b, m, vue);
    progression.Avance(b);
    fin.sortie_perdue = vue.sortie_perdue;
    if (p.flux && (carte.Fin_fichier() || fin.sortie_perdue != 0)) break;
  }
  vue.Fin();
  recu = vue.recu;
  return s.boite.nombre == 0;
}

}  // namespace

// The file is written buffer by buffer as the card plays: the memory is
// that of a buffer, whatever the length of the text.
int Encode(const Options& o) {
  const Texte texte = Lecture_texte(o);
  const std::string nom = Nom_flux(o.sortie, "standard output");
  EcritureWav wav;
  std::string erreur;
  if (!wav.Ouverture(o.sortie, o.taux, o.s16, erreur)) return Echec(nom + ": " + erreur);
  Emission e;
  const bool emise = Emission_simulee(
      o.frequence, texte, [&wav](std::span<const uint8_t> b) { return wav.Ecriture(b); }, e);
  if (!wav.Fermeture(erreur)) return Echec(nom + ": " + erreur);
  if (!emise) return Echec("the transmission could not run");
  std::fprintf(stderr, "%s: %.1f s, %zu characters on %.1f Hz\n", nom.c_str(),
               static_cast<double>(e.joues) / Taux_carte, e.envoye.size(), o.frequence / 10.0);
  return Sortie_ok;
}

namespace {

// The text as shown, ended as a line for the terminal; what was already
// printed as received only gets its line ended.
void Impression_recu(const Texte& recu, bool deja_imprime) {
  if (!deja_imprime) std::fputs(Vers_utf8(recu).c_str(), stdout);
  if (!recu.empty() && recu.back() != '\n') std::fputc('\n', stdout);
}

// Decodes a stream (standard input, a named pipe) as it comes, buffer by
// buffer, to its end or Ctrl-C: nothing is read ahead, so a live recording
// decodes as it is recorded. On a terminal the text is printed as received.
int Decode_flux(const Options& o) {
  const std::string nom = Nom_flux(o.fichier, "standard input");
  if (o.frequence_auto)
    return Echec(nom +
                 ": -f auto reads the sound twice, first to find the strongest line: it needs a file, "
                 "not a stream");
  std::string erreur;
  int descripteur = -1;
  int64_t trames = -1;
  sf_private_tag* flux = Ouverture_flux(o.fichier, o.voie, descripteur, trames, erreur);
  if (flux == nullptr) return Echec(nom + ": " + erreur);
  bool lu = true;
  auto source = [&](SonSimule& carte) {
    lu = lu && carte.Source_fichier_ouvert(flux, o.voie, trames);
    flux = nullptr;  // the card's from now on, closed by it even on a refusal
  };
  flux_interrompable.store(descripteur);
  Installation_interruption();
  Parametres_reception p{o.frequence, false, o.classe, o.trace, o.squelch};
  p.flux = true;
  p.direct = isatty(STDOUT_FILENO) == 1;
  Texte recu;
  Bilan_reception bilan;
  const bool ok = Reception_simulee(source, 0, p, recu, &bilan);
  // The card closed the stream with the station.
  flux_interrompable.store(-1);
  if (flux != nullptr) sf_close(flux);
  if (!lu) return Echec(nom + ": cannot read the samples");
  if (bilan.sortie_perdue != 0)
    return Echec(std::string("standard output: ") + std::strerror(bilan.sortie_perdue));
  if (!ok) return Echec(nom + ": reception failed");
  if (bilan.non_finis > 0)
    return Echec(nom + ": holds a sample that is NaN or infinite: the stream is corrupt");
  if (!bilan.interrompue && bilan.echantillons == 0) return Echec(nom + ": the stream holds no samples");
  if (!bilan.interrompue && bilan.echantillons * 10 < static_cast<uint64_t>(Taux_carte))
    return Echec(nom + ": the stream holds " + std::to_string(bilan.echantillons) +
                 " sample(s) at 11025 Hz, less than one symbol (a tenth of a second): nothing to decode");
  Impression_recu(recu, p.direct);
  return Sortie_ok;
}

}  // namespace

int Decode(const Options& o) {
  if (Entree_en_flux(o.fichier)) return Decode_flux(o);
  std::string erreur;
  auto description = Description(o.fichier, erreur);
  if (!description) return Echec(o.fichier + ": " + erreur);
  if (o.voie > description->voies)
    return Echec(o.fichier + ": has " + std::to_string(description->voies) + " channel(s), no channel " +
                 std::to_string(o.voie));
  // Length once the card has brought it to 11025 Hz.
  const auto echantillons = static_cast<uint64_t>(
      std::ceil(static_cast<double>(description->trames) * Taux_carte / description->taux));
  bool lu = true;
  auto source = [&](SonSimule& carte) { lu = lu && carte.Source_fichier(o.fichier, o.voie); };
  Texte recu;
  Parametres_reception p{o.frequence, o.frequence_auto, o.classe, o.trace, o.squelch};
  bool ok = Reception_simulee(source, echantillons, p, recu);
  if (!lu) return Echec(o.fichier + ": cannot read the samples");
  if (!ok) return Echec(o.fichier + ": reception failed");
  Impression_recu(recu, false);
  return Sortie_ok;
}

// The whole transmission is kept: the noise is scaled on its power.
int Loopback(const Options& o) {
  Emission e;
  Echantillons joues;
  auto garde = [&joues](std::span<const uint8_t> b) {
    joues.insert(joues.end(), b.begin(), b.end());
    return true;
  };
  if (!Emission_simulee(o.frequence, Lecture_texte(o), garde, e))
    return Echec("the transmission could not run");
  std::vector<float> signal;
  if (o.snr_db) {
    signal = Ajout_bruit(joues, *o.snr_db, o.graine);
  } else {
    signal.resize(joues.size());
    for (size_t i = 0; i < signal.size(); ++i) signal[i] = static_cast<float>(joues[i] - 128) / 127.0f;
  }
  auto source = [&signal](SonSimule& carte) {
    carte.Source_generateur([&signal, position = size_t{0}](std::span<float> x, uint32_t) mutable {
      for (float& v : x) v = position < signal.size() ? signal[position++] : 0.0f;
    });
  };
  Texte recu;
  Parametres_reception p{o.frequence, false, o.classe, false, std::nullopt};
  if (!Reception_simulee(source, signal.size(), p, recu)) return Echec("reception failed");
  // Compared as shown: a carriage return is one new line on both sides.
  Texte envoye = e.envoye;
  std::replace(envoye.begin(), envoye.end(), '\r', '\n');
  const size_t erreurs = Distance_edition(envoye, recu);
  std::printf("Sent:     %s\n", Vers_utf8(envoye).c_str());
  std::printf("Received: %s\n", Vers_utf8(recu).c_str());
  std::printf("CER: %.6f (%zu errors in %zu characters, S/N ", Taux_erreur_caracteres(envoye, recu), erreurs,
              envoye.size());
  if (o.snr_db) {
    std::printf("%.1f dB in 2500 Hz, class %d)\n", *o.snr_db, o.classe);
  } else {
    std::printf("no noise, class %d)\n", o.classe);
  }
  std::printf("Bits per character: %.3f\n",
              e.envoye.empty() ? 0.0 : static_cast<double>(e.bits) / static_cast<double>(e.envoye.size()));
  return Sortie_ok;
}

// --- The headless station on the real sound card ---

namespace {

// One tick of the window timer: about every millisecond while a pass has
// work; when the loop waits for the sound card, until the card finishes a
// buffer (at most a tenth of a second, so an interruption is seen soon).
void Tic(TraducteurEditeurPsk& m) {
  if (m.Timer()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return;
  }
  pollfd reveil{m.Descripteur_reveil(), POLLIN, 0};
  if (reveil.fd < 0 || poll(&reveil, 1, 100) < 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  m.Acquittement_reveil();
}

}  // namespace

int Transmit(const Options& o) {
  VueTerminal vue;
  Poste s(Poste::Reel(o.peripherique), vue, 2, true);
  TraducteurEditeurPsk& m = s.moteur;
  if (o.port != 0) {
    s.station.Choix_port_serie(static_cast<uint8_t>(o.port));
    if (!s.station.Ouverture_port_serie())
      return Echec(Vers_utf8(s.station.manipulation.Message_port_non_ouvert(s.station.langue)));
  }
  Installation_interruption();
  const Texte texte = Lecture_texte(o);
  s.station.wave.Affichage_erreurs_son = 1;
  m.A_l_activation_de_la_fiche();
  m.Accord(o.frequence);
  m.Passage_emission();
  if (!m.Emission_active) return Echec_carte(o.peripherique + ": the transmission could not start");
  std::fprintf(stderr, "transmitting on %.1f Hz (Ctrl-C stops)\n", o.frequence / 10.0);
  // Only the output matters from here: a capture device that could not be
  // opened for the reception of the start does not fail a transmission.
  const int messages_avant = s.boite.nombre;

  size_t suivant = 0;
  bool arret_demande = false;
  auto debut_arret = std::chrono::steady_clock::now();
  while (m.Emission_active) {
    if (interruptions.load() > 0 && !arret_demande) {
      // First Ctrl-C: what is still queued is dropped, the characters
      // already modulated go out, then the transmission stops once drained.
      arret_demande = true;
      suivant = texte.size();
      m.Abandon_texte();
      debut_arret = std::chrono::steady_clock::now();
    }
    while (suivant < texte.size() && m.Longueur_texte_a_emettre() < SaisieEmission::Longueur_maximale)
      m.Ajout_caractere(static_cast<uint8_t>(texte[suivant++]));
    const bool tout_envoye = suivant == texte.size() && m.Longueur_texte_a_emettre() == 0;
    if (tout_envoye && m.Emission_terminee()) m.Arret_sans_retour_au_menu();
    // A second Ctrl-C, or a drain that takes longer than a few buffers,
    // ends at once: the engine's destructor stops the output and unkeys.
    if (arret_demande && (interruptions.load() > 1 ||
                          std::chrono::steady_clock::now() - debut_arret > std::chrono::seconds(5)))
      break;
    if (m.Emission_active) Tic(m);
  }
  if (arret_demande) return Echec("interrupted: the rest of the text was not sent");
  return s.boite.nombre == messages_avant ? Sortie_ok : Sortie_echec;
}

int Receive(const Options& o) {
  VueTerminal vue;
  vue.direct = true;
  vue.Squelch(o.squelch);
  Poste s(Poste::Reel(o.peripherique), vue, o.classe, true);
  TraducteurEditeurPsk& m = s.moteur;
  Installation_interruption();
  s.station.wave.Affichage_erreurs_son = 1;
  m.A_l_activation_de_la_fiche();
  if (m.Entree_ouverte) {
    m.Accord(o.frequence);
    m.Relance_traduction();
  }
  if (!m.Entree_ouverte) return Echec_carte(o.peripherique + ": the input could not be opened");
  std::fprintf(stderr, "receiving on %.1f Hz, class %d (Ctrl-C stops)\n", o.frequence / 10.0, o.classe);
  // A receiver whose text nobody gets any more (a pipe whose reader has
  // gone, a full disk) stops.
  while (interruptions.load() == 0 && m.Reception_active && vue.sortie_perdue == 0) Tic(m);
  m.Retour_au_menu();
  vue.Fin();
  if (vue.sortie_perdue != 0)
    return Echec(std::string("standard output: ") + std::strerror(vue.sortie_perdue));
  std::fputc('\n', stdout);
  return Sortie_ok;
}

// --- Morse ---

namespace {

// The characters of `texte` that Morse sends.
size_t Caracteres_morse(VueTexte texte) {
  return static_cast<size_t>(std::count_if(texte.begin(), texte.end(), [](char c) {
    const uint8_t t = EmissionMorse::Traduction_morse(static_cast<uint8_t>(c));
    return t != 0 && t != 13;
  }));
}

// Sends `texte` on a stepped simulated card, one output buffer played
// whenever the sender waits for the card, from the keying to the release;
// each played buffer goes to `sortie`, `joues` counts the samples. False
// when the sending could not start or never ended, or `sortie` failed.
bool Morse_simule(VueTexte texte, const Sortie_jouee& sortie, uint64_t& joues) {
  VueTerminal vue;
  Poste s(Poste::Simule(), vue, 2, true);
  SonSimule& carte = s.Carte();
  bool sortie_perdue = false;
  carte.Sortie_destinataire([&](std::span<const uint8_t> octets) {
    joues += octets.size();
    if (!sortie_perdue && !sortie(octets)) sortie_perdue = true;
  });
  EmissionMorse morse(s.station.wave, s.station.pascal);
  if (!morse.Debut(texte)) return false;
  Progression progression("encoding", texte.size(), texte.size() > 20);
  // The longest character lasts six buffers; the start and the end three
  // more. A sending that would never end is stopped there.
  const uint64_t limite = 6 * static_cast<uint64_t>(texte.size()) + 8;
  uint64_t tampons = 0;
  while (morse.Pas()) {
    if (morse.Tampon_servi) continue;
    progression.Avance(texte.size() - std::min(texte.size(), morse.Texte_morse.size()));
    if (tampons++ == limite || !carte.Completer_sortie() || sortie_perdue) {
      morse.Fin();
      return false;
    }
  }
  morse.Fin();
  return !sortie_perdue && s.boite.nombre == 0;
}

}  // namespace

int Morse(const Options& o) {
  const Texte texte = Lecture_texte(o);
  if (!o.carte) {
    const std::string nom = Nom_flux(o.sortie, "standard output");
    EcritureWav wav;
    std::string erreur;
    if (!wav.Ouverture(o.sortie, o.taux, o.s16, erreur)) return Echec(nom + ": " + erreur);
    uint64_t joues = 0;
    const bool envoye = Morse_simule(
        texte, [&wav](std::span<const uint8_t> b) { return wav.Ecriture(b); }, joues);
    if (!wav.Fermeture(erreur)) return Echec(nom + ": " + erreur);
    if (!envoye) return Echec("the Morse sending could not run");
    std::fprintf(stderr, "%s: %.1f s, %zu characters in Morse at %d words per minute, %d Hz\n", nom.c_str(),
                 static_cast<double>(joues) / Taux_carte, Caracteres_morse(texte),
                 EmissionMorse::Vitesse_morse, EmissionMorse::Frequence_morse);
    return Sortie_ok;
  }

  VueTerminal vue;
  Poste s(Poste::Reel(o.peripherique), vue, 2, true);
  if (o.port != 0) {
    s.station.Choix_port_serie(static_cast<uint8_t>(o.port));
    if (!s.station.Ouverture_port_serie())
      return Echec(Vers_utf8(s.station.manipulation.Message_port_non_ouvert(s.station.langue)));
  }
  Installation_interruption();
  FonctionsWave& wave = s.station.wave;
  wave.Affichage_erreurs_son = 1;
  EmissionMorse morse(wave, s.station.pascal);
  morse.Port_serie_actif = s.station.manipulation.Port_serie_actif;
  morse.Adresse_MCR = s.station.manipulation.Adresse_MCR;
  if (!morse.Debut(texte)) return Echec_carte(o.peripherique + ": the Morse sending could not start");
  std::fprintf(stderr, "sending %zu characters in Morse at %d words per minute, %d Hz (Ctrl-C stops)\n",
               Caracteres_morse(texte), EmissionMorse::Vitesse_morse, EmissionMorse::Frequence_morse);

  bool arret_demande = false;
  auto debut_arret = std::chrono::steady_clock::now();
  for (;;) {
    if (interruptions.load() > 0 && !arret_demande) {
      // Ctrl-C is the window's <Esc>: the sending stops at the next buffer.
      arret_demande = true;
      morse.Demande_arret();
      debut_arret = std::chrono::steady_clock::now();
    }
    // A second Ctrl-C, or a card that no longer finishes its buffers, ends
    // at once.
    if (arret_demande && (interruptions.load() > 1 ||
                          std::chrono::steady_clock::now() - debut_arret > std::chrono::seconds(2)))
      break;
    if (!morse.Pas()) break;
    if (morse.Tampon_servi) continue;
    // Waiting for the card: until it finishes a buffer, at most a tenth of a
    // second so that an interruption is seen soon.
    pollfd reveil{wave.Descripteur_reveil(), POLLIN, 0};
    if (reveil.fd < 0 || poll(&reveil, 1, 100) < 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    wave.Acquittement_reveil();
  }
  morse.Fin();
  if (arret_demande) return Echec("interrupted: the rest of the text was not sent");
  return s.boite.nombre == 0 ? Sortie_ok : Sortie_echec;
}

}  // namespace talven::modem
