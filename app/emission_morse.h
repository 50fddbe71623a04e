// EMISSION_MORSE: a text sent in Morse code (CW) at 20 words per minute, a
// 500 Hz tone on the sound card with the transmitter keyed through the
// serial port for the whole sending.
//
// Responsibilities: translate and queue the text (lower case folded, the
// characters the code has no sign for refused, a line feed after each
// carriage return); build once per sending the five sample strings every
// sign is made of (dot and dash tones, each from phase 0, and the silences
// of one, three and four dots); code each character into the pending
// samples, a character at a time while at most `Seuil_remplissage` samples
// wait; stream them through the two output buffers of the wave unit, each
// finished buffer refilled with the next `Taille_tampon` samples (silence
// once none is left); key the transmitter before the output opens and
// release it after the output closed; end once both buffers were refilled
// with silence alone, or within one buffer of a stop request (<Esc>).
// Collaborations: streams through `FonctionsWave`, keys through
// `FonctionsPascal::Ecriture_port` (the port space hands the register write
// to the serial keying layer). No Qt: the main window drives it from its
// timer, `talven-modem morse` from its loop.
//
// Driving a sending (the main window, from the Qt event loop):
//   1. copy the keying settings (`Port_serie_actif`, `Adresse_MCR`) from
//      `station.manipulation`, block the menus, show `Legende_label2(langue)`
//      in the big label;
//   2. `Debut(texte)`: false when the output could not start (the wave unit
//      has shown why; the transmitter is already released again, nothing is
//      left open, `Fin` is not needed);
//   3. from a timer (a few milliseconds), or whenever the wake-up descriptor
//      `FonctionsWave::Descripteur_reveil()` becomes readable (acknowledge it
//      before the call), call `Pas()`; it never waits for the card. While it
//      returns true the sending goes on: `Tampon_servi` set means a buffer
//      was just refilled and the next call may find the other one finished,
//      unset means it is waiting for the card;
//   4. <Esc> pressed: `Demande_arret()`, and keep calling `Pas()`: it returns
//      false at the next refill, within one buffer (a quarter of a second);
//   5. once `Pas()` returned false: `Fin()` (output stopped, closed and
//      released, transmitter released), then unblock the menus.
// `Termine()` tells, without doing anything, whether `Pas()` would return
// false. The destructor calls `Fin()` for a sending still running.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "app/fonctions_pascal.h"
#include "audio/fonctions_wave.h"
#include "common/langue.h"
#include "common/texte.h"

namespace talven {

// The main window's big label while Morse is sent (UTF-8).
inline constexpr const char* Legende_label2_anglais = "<Esc> to stop CW transmission";
inline constexpr const char* Legende_label2_francais = "<Echap> pour arrêter la transmission CW";

// That caption in the language of the interface, Windows-1252.
Texte Legende_label2(const Langue& langue);

class EmissionMorse {
 public:
  // Speed in words per minute, and the length of a dot in milliseconds.
  static constexpr uint16_t Vitesse_morse = 20;
  static constexpr uint16_t Duree_point = 1250 / Vitesse_morse;  // 62
  // Tone, Hz, and sample rate of the output, Hz.
  static constexpr int32_t Frequence_morse = 500;
  static constexpr int32_t Frequence_echantillonnage = 11025;
  // Samples per output buffer: a quarter of a second.
  static constexpr int32_t Taille_tampon = 2756;
  // A character is coded while at most this many samples wait (12.4 s).
  static constexpr int32_t Seuil_remplissage =
      Duree_point * 20 * (Frequence_echantillonnage / 1000);  // 13640
  // Phase step of the tone per sample, millidegrees.
  static constexpr int32_t Pas_phase = Frequence_morse * 360000 / Frequence_echantillonnage;  // 16326
  // The value of a silent sample (8-bit unsigned, centred).
  static constexpr uint8_t Silence = 128;
  // Modem control register values: DTR, RTS and OUT2 (keyed); OUT2 only.
  static constexpr uint8_t Mcr_emission = 0x0B;
  static constexpr uint8_t Mcr_reception = 0x08;

  // Samples of the elements: an element lasting d milliseconds is
  // d x 11025 div 1000 samples long.
  static constexpr int32_t Longueur_point = Duree_point * Frequence_echantillonnage / 1000;      // 683
  static constexpr int32_t Longueur_trait = Frequence_echantillonnage * Duree_point * 3 / 1000;  // 2050
  static constexpr int32_t Longueur_quatre_points =
      Frequence_echantillonnage * Duree_point * 4 / 1000;  // 2734

  // `wave` and `pascal` must outlive the unit.
  EmissionMorse(FonctionsWave& wave, FonctionsPascal& pascal);
  ~EmissionMorse();
  // A sending owns the output stream: the unit is not copied.
  EmissionMorse(const EmissionMorse&) = delete;
  EmissionMorse& operator=(const EmissionMorse&) = delete;

  // --- What the window calls (see the top of this file) ---

  // Starts sending `texte` (Windows-1252; characters without a sign are
  // left out): `Debut_morse`, then, once its refill has serviced a buffer,
  // `Ajout_texte_morse` and both `Silence_tampon` cleared. Returns false,
  // with the transmitter released and the output closed and released, when
  // the output could not start; false, doing nothing, while a sending runs.
  bool Debut(VueTexte texte);
  // One step of the sending loop, never waiting for the card: a stop
  // requested and a buffer just serviced end it; otherwise `Tampon_servi`
  // is cleared once it was set and `Remplissage_morse` runs. Returns true
  // while the sending goes on, false once it is over (then call `Fin`).
  bool Pas();
  // <Esc>: the sending ends at the next buffer serviced.
  void Demande_arret() { Arret_demande = true; }
  // True when no sending runs, or it is over: both buffers were refilled with
  // silence alone, or a stop was requested and a buffer serviced since.
  bool Termine() const;
  // Ends the sending: `Arret_morse`, then the transmitter released (0x08 to
  // `Adresse_MCR` when `Port_serie_actif`). Nothing when no sending runs.
  void Fin();
  // A sending was started and not ended by `Fin`.
  bool Actif() const { return etape_ != Etape::Arret; }

  // --- The unit's operations ---

  // The byte sent for `b`: "a".."z" as upper case; "A".."Z", "0".."9",
  // space, carriage return and the 27 signs of `Code_morse` unchanged; 0
  // for any other byte (refused).
  static uint8_t Traduction_morse(uint8_t b);
  // The elements of `c` ('.' a dot, '_' a dash) for "A".."Z", "0".."9" and
  // the 27 signs; empty for any other byte.
  static std::string_view Code_morse(uint8_t c);
  // Each character of `texte` translated; an accepted one appended to
  // `Texte_morse`, a carriage return followed by a line feed.
  void Ajout_texte_morse(VueTexte texte);
  // Appends the samples of `c` to `Echantillons_morse`: space, a four-dot
  // silence (seven dots after the three ending the previous character);
  // carriage return and line feed, nothing; any other character with a
  // code, each element as its tone followed by a dot silence, the last one
  // by a three-dot silence. Does nothing while more than `Seuil_remplissage`
  // samples wait, which keeps the 16-bit count exact.
  void Codage_morse(uint8_t c);
  // The next sample of the tone: `Phase_morse` advanced by `Pas_phase`,
  // less 360000 when above it, and the low byte of `Table_sinus` at the
  // whole degree.
  uint8_t Tonalite_morse();
  // `Table_sinus[i]` = 127 sin(i degrees) rounded to nearest, ties to even,
  // plus 127, for i = 0..360.
  void Calcul_table_sinus();
  // Start of a sending: the transmitter keyed; rate and buffer size set on
  // the wave unit; queues emptied, both `Silence_tampon` set,
  // `Tampon_servi` cleared; the sine table and the five sample strings
  // built; the output allocated and opened (8-bit, 11025 Hz), both buffers
  // filled with silence, prepared and queued; one `Remplissage_morse`.
  // Returns false, with the output closed and released again (nothing is
  // left waiting for buffers the device never received) but the transmitter
  // still keyed, when the output could not be opened or a prefilled buffer
  // could not be prepared or queued (abandoned at the first failure).
  bool Debut_morse();
  // Passes of (refill the first finished output buffer, the first one
  // looked at first, and set `Tampon_servi`; then, while at most
  // `Seuil_remplissage` samples wait, code the next character of
  // `Texte_morse`) until a buffer has been serviced. Returns early,
  // `Tampon_servi` still clear, when no buffer is finished and there is no
  // character to code: the next call carries on. Does nothing when
  // `Tampon_servi` is already set.
  void Remplissage_morse();
  // Stops the output, unprepares both buffers, closes the output and
  // releases the buffers and their headers.
  void Arret_morse();

  // --- Settings ---
  bool Port_serie_actif = false;  // keying through a serial port
  uint16_t Adresse_MCR = 0x3FC;   // its modem control register, I/O address

  // --- State ---
  // 127 sin(i degrees) + 127, rounded, for i = 0..360 (0..254).
  std::array<int32_t, 361> Table_sinus{};
  // Phase of the tone, millidegrees, 0..360000.
  int32_t Phase_morse = 0;
  // The sample strings every sign is made of, 8-bit unsigned: the tones
  // start at phase 0; the silences are `Silence`.
  std::vector<uint8_t> Tonalite_point;         // Longueur_point samples
  std::vector<uint8_t> Tonalite_trait;         // Longueur_trait samples
  std::vector<uint8_t> Silence_point;          // Longueur_point samples
  std::vector<uint8_t> Silence_trois_points;   // Longueur_trait samples
  std::vector<uint8_t> Silence_quatre_points;  // Longueur_quatre_points samples
  // Characters waiting to be coded, translated.
  Texte Texte_morse;
  // Samples coded and not yet copied into an output buffer; their count
  // (0..Seuil_remplissage + the longest character, 15032) and the position
  // of the next one while a buffer is filled (0 between fills).
  std::vector<uint8_t> Echantillons_morse;
  uint16_t Nombre_echantillons_morse = 0;
  uint32_t Position_lecture_morse = 0;
  // The current pass of the sending loop has refilled a buffer.
  bool Tampon_servi = false;
  // Per output buffer (first, "bis"): its last refill held silence alone.
  bool Silence_tampon[2] = {true, true};
  // <Esc> was pressed during this sending.
  bool Arret_demande = false;

 private:
  enum class Etape {
    Arret,      // no sending
    Demarrage,  // the refill of `Debut_morse` has not serviced a buffer yet
    Envoi       // the sending loop
  };

  void Manipulation_emission();
  void Manipulation_reception();
  // Appends one element's samples to `Echantillons_morse`.
  void Ajout_element(const std::vector<uint8_t>& element);
  // Refills buffer `index` (0 first, 1 "bis") from `Echantillons_morse`.
  void Remplissage_tampon(Entete_tampon& entete, int index);

  FonctionsWave* wave_;
  FonctionsPascal* pascal_;
  Etape etape_ = Etape::Arret;
  // The text of `Debut`, queued once the start's refill serviced a buffer.
  Texte texte_debut_;
};

}  // namespace talven
