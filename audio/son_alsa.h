// The real sound card, through ALSA.
//
// Responsibilities: open the chosen PCM ("default", or another name such as
// "plughw:1,0" for a USB sound card interface) for capture and playback in the
// requested PCM format, letting ALSA's plug layer convert for cards that
// cannot take 8-bit mono at 11025 Hz; keep our two-buffer contract on top of
// whatever period and ring sizes the device accepts (ALSA chooses them near
// 0.1 s and 0.5 s); complete buffers for real while the program polls, with
// one device thread per open direction; report device counts and format bits
// from ALSA's device enumeration and hardware-parameter tests.
// Collaborations: implements `Peripherique_son` for `FonctionsWave`; shares
// the buffer bookkeeping of `File_tampons`.
//
// Timing: an input buffer is done when its last frame has been read; an
// output buffer is done when its last frame has left the device (frames
// written minus the device's delay), so a reset after both buffers are done
// cuts nothing the transmitter still had to send.
//
// A device that fails for good (unplugged: ENODEV, EIO, or an xrun that
// cannot be recovered) is marked lost with that code: its queued buffers then
// complete at the stream's pace with `Entete_tampon::Erreur` set and input
// silence, later queue and start operations return the code, and reset,
// unprepare and close go on succeeding so the callers can tidy up.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "audio/peripherique_son.h"

typedef struct _snd_pcm snd_pcm_t;
typedef struct _snd_config snd_config_t;

namespace talven {

class SonAlsa final : public Peripherique_son {
 public:
  // `nom`: ALSA PCM name used for both directions; a name with the plug
  // layer ("default", "plughw:1,0") converts for cards without 8-bit mono at
  // 11025 Hz, a raw "hw:" name refuses such a format with EINVAL. `configuration`: ALSA
  // configuration text read over the system's one and used for every open
  // (for instance a `pcm.name { ... }` definition); empty for the system's.
  explicit SonAlsa(std::string nom = "default", std::string configuration = {});
  ~SonAlsa() override;
  SonAlsa(const SonAlsa&) = delete;
  SonAlsa& operator=(const SonAlsa&) = delete;

  std::string Nom() const override { return nom_; }
  void Choix_nom(std::string nom) override { nom_ = std::move(nom); }
  // Absent when neither direction can be opened because ALSA finds no such
  // device (ENODEV, ENOENT); the direction opened to find out is closed again.
  // "default" is never absent: without a card or a server, it is the device
  // counts that say so.
  uint32_t Presence() override;
  uint32_t Nombre_peripheriques(Sens sens) override;
  uint32_t Capacites(Sens sens, uint32_t& formats) override;
  uint32_t Ouvrir(Sens sens, const Format_son& format) override;
  uint32_t Preparer(Sens sens, Entete_tampon& entete) override;
  uint32_t Depreparer(Sens sens, Entete_tampon& entete) override;
  uint32_t Ajouter(Sens sens, Entete_tampon& entete) override;
  uint32_t Demarrer(Sens sens) override;
  uint32_t Reinitialiser(Sens sens) override;
  uint32_t Fermer(Sens sens) override;
  uint32_t Perte(Sens sens) override;
  // Handed to the queues of both directions, which write it from the device
  // threads.
  void Reveil(int descripteur) override;

 private:
  struct Voie {
    explicit Voie(Sens s) : sens(s), file(s) {}
    Sens sens;
    File_tampons file;
    snd_pcm_t* pcm = nullptr;
    Format_son format;
    std::thread fil;
    std::mutex verrou;
    std::condition_variable reveil;
    bool arret = false;     // asks the thread to end
    bool demarre = false;   // input started
    uint64_t ecrits = 0;    // output: bytes handed to ALSA since the last reset
    uint64_t termines = 0;  // bytes of completed buffers since the last reset
  };

  Voie& V(Sens sens) { return sens == Sens::Entree ? entree_ : sortie_; }
  int Ouvrir_pcm(Sens sens, snd_pcm_t** pcm);
  void Lancer(Voie& voie);
  void Arreter(Voie& voie);
  void Boucle(Voie& voie);
  bool Pas_entree(Voie& voie);
  bool Pas_sortie(Voie& voie);
  void Perdre(Voie& voie, int erreur);
  // After a transfer that returned `erreur` (< 0): nothing to do for a
  // device not ready, recovery of an overrun or underrun, loss otherwise.
  // False when the device is lost.
  bool Reprise(Voie& voie, snd_pcm_t* pcm, long erreur);
  void Pas_perdu(Voie& voie);

  std::string nom_;
  snd_config_t* configuration_ = nullptr;
  uint32_t erreur_configuration_ = 0;
  Voie entree_{Sens::Entree};
  Voie sortie_{Sens::Sortie};
};

}  // namespace talven
