// TRADUCTEUR_EDITEUR_PSK: the transceiver without its window.
//
// Responsibilities: owns every unit of reception and transmission — the
// band-pass filter shared by both directions, the per-sample receive chain
// (with the Costas loop), the character decoder, the spectrum, the keyboard
// entry with its sequences, the gain control, the modulator, the receive
// pipeline, the transmitter and the transmit watchdog — and runs the
// transceiver's controller: activation, the three states (reception,
// transmission, stopped) and every transition between them, master and slave
// mode, the processor class, the captions in both languages, and the
// real-time loop. A transmission left on idle marks for the watchdog's
// minutes, with nothing typed and no sequence sent, ends at a tick of the
// loop as the operator's return to reception ends it once drained, and the
// view is told (`ObservateurTransceiver::Fin_emission_garde`). One call of `Timer`
// is one pass of that loop; where a pass would wait for the sound card to
// finish a buffer it returns instead, and the next call carries on, so no
// call ever waits.
// Collaborations: streams through `FonctionsWave` (any `Peripherique_son`,
// real or simulated), sets the mixer up through `FonctionsMixer`, keys the
// transmitter and rings the bell through `FonctionsPascal`, records into the
// program's `EnregistrementQso`, reports errors through `Boite_messages`,
// reads the language, the eight sequence texts and the station's clock
// (`Horloge_datee`, for the watchdog); everything the window
// shows goes to the `ObservateurTransceiver` attached now (none while no
// window is open). The operations below are the only door of a view or a
// front-end: it calls them for its buttons, keys and clicks, and calls
// `Timer` every millisecond while it returns true (and again once the sound
// card wakes it, see `Descripteur_reveil`). The units are private; only the
// tests' `AccesUnites` reaches them, to inspect or prepare their state.
#pragma once

#include <array>
#include <cstdint>

#include "app/fonctions_pascal.h"
#include "app/horloge.h"
#include "audio/fonctions_mixer.h"
#include "audio/fonctions_wave.h"
#include "common/langue.h"
#include "common/messages.h"
#include "common/texte.h"
#include "transceiver/analyse_reception.h"
#include "transceiver/chaine_reception.h"
#include "transceiver/controle_gain.h"
#include "transceiver/decodage_caracteres.h"
#include "transceiver/emetteur.h"
#include "transceiver/enregistrement_qso.h"
#include "transceiver/filtre_passe_bande.h"
#include "transceiver/garde_emission.h"
#include "transceiver/memo.h"
#include "transceiver/modulateur.h"
#include "transceiver/observateur_transceiver.h"
#include "transceiver/reception.h"
#include "transceiver/saisie_emission.h"

namespace talven {

class TraducteurEditeurPsk final : private ActionsAccord, private Sonnerie {
  // Declared first: the units below are built on them.
  FonctionsWave* wave_;
  FonctionsMixer* mixer_;
  FonctionsPascal* pascal_;
  EnregistrementQso* enregistrement_;
  Boite_messages* boite_;
  const Langue* langue_;
  // What every unit reports to; forwards to the attached view.
  RelaisObservateur relais_;
  ObservateurTransceiver* observateur_ = &relais_;

 public:
  // The tuned frequency at each activation, tenths of a hertz (500.0 Hz).
  static constexpr int32_t Frequence_initiale = 5000;

  // Every collaborator must outlive the engine. `observateur`, when given,
  // is attached at once (see `Attache_observateur`). The engine starts
  // closed: nothing runs until `A_l_activation_de_la_fiche`.
  //   horloge          : what the transmit watchdog reads
  //   textes_sequences : sequence n is entry n - 1 (Windows-1252)
  TraducteurEditeurPsk(FonctionsWave& wave, FonctionsMixer& mixer, FonctionsPascal& pascal,
                       EnregistrementQso& enregistrement, Boite_messages& boite, const Langue& langue,
                       Horloge_datee& horloge,
                       const std::array<Texte, SaisieEmission::Nombre_sequences>& textes_sequences,
                       ObservateurTransceiver* observateur = nullptr);
  // Stops whatever stream is still open (output drained or not), unkeys.
  ~TraducteurEditeurPsk() override;
  TraducteurEditeurPsk(const TraducteurEditeurPsk&) = delete;
  TraducteurEditeurPsk& operator=(const TraducteurEditeurPsk&) = delete;

  // --- The view ---
  // Attaches the view that shows the window from now on (nullptr: nobody);
  // a window attaches itself when it opens and detaches when it closes, so
  // one engine serves every opening of a modal window. The view must stay
  // valid until it is detached.
  void Attache_observateur(ObservateurTransceiver* vue);
  void Detache_observateur() { Attache_observateur(nullptr); }

  // --- Settings (the main window's, read at the operations that use them) ---
  int32_t Classe_processeur = 2;  // 1 or 2: receive parameter set
  bool Mode_maitre_actif = true;  // master: transmit on the tuned frequency; slave: on the tracked one
  // Serial keying: with `actif`, 0x0B (keyed) and 0x08 (released) are
  // written to the modem control register at I/O address `adresse_mcr`.
  void Reglage_manipulation(bool actif, uint16_t adresse_mcr);
  // The stored gain choice: `gain_choisi` 20, 40, 60, 80 or 100 percent
  // (100 with `cag`), automatic control, and whether the signal comes on
  // the left line channel (otherwise right, or the microphone as the
  // mixer's settings say). Applied at the next activation.
  void Reglage_gain(int32_t gain_choisi, bool cag, bool entree_gauche);
  // The transmit watchdog: minutes of idle transmission before the stop,
  // 0 (off) to `GardeEmission::Minutes_maximales`, 10 unless set; throws
  // std::invalid_argument out of range. Idle means nothing typed (a
  // character queued or taken back), no sequence started, and nothing of
  // the text left to play: a text longer than the set time is sent whole
  // and the minutes count from its end. During a transmission the new
  // length counts from now.
  void Reglage_garde_emission(int32_t minutes) { garde.Reglage(minutes); }
  int32_t Minutes_garde_emission() const { return garde.Minutes(); }
  // The tuned frequency, tenths of a hertz (2000..22000 for a transmission),
  // as a click on the spectrum writes it, with the frequency labels; the
  // receive chain is not restarted (`Relance_traduction` does it).
  void Accord(int32_t dixiemes);

  // --- Window events ---
  // Activation: captions, 500 Hz tuning, processor class, then
  // `Suite_activation`, which ends in reception.
  void A_l_activation_de_la_fiche();
  void Suite_activation();
  // Start of reception: labels, chain set up, input opened and started, one
  // pass of the receive pipeline.
  void Debut_traduction();
  // Stops and closes the input device and releases its buffers.
  void Arret_traduction();
  // Restart of the input and of the receive chain (after a retuning), only
  // while receiving.
  void Relance_traduction() override;
  // Start of transmission (from reception already stopped or from the
  // stopped state): keyed first, transmit frequency taken from the tuning
  // (master) or the tracking (slave), output opened and prefilled, one
  // refill pass. When the output cannot be started the transmitter is
  // released and the window stays stopped.
  void Debut_edition();
  // The reception button (and <Esc> during transmission): leaves a drained
  // transmission for reception; the first request during a sequence only
  // cancels the sequence; refused while not drained.
  void Passage_reception();
  // The transmission button (and <Esc> during reception).
  void Passage_emission();
  // The stop button: the stopped state, once a transmission is drained.
  void Arret_sans_retour_au_menu();
  // Return to the menu: closes the window (observer's `Fermeture_fenetre`)
  // once nothing is left to drain.
  void Retour_au_menu();
  // Clears Memo1 (reception) or Memo3 and Memo2 (transmission).
  void NettoyageClick();
  // Mode buttons, effective only while receiving; the first click after an
  // activation is swallowed.
  void Mode_esclaveClick();
  void mode_maitreClick();
  // Processor-class buttons (class 2 and class 1), only while receiving.
  void P166Click();
  void P66Click();
  // A click on the spectrum image at x pixels: the pass in progress ends
  // (as a dispatched mouse message ends it) and the spectrum marks, and in
  // master or slave mode retunes (then restarts reception).
  void Image_spectreMouseDown(int32_t X);
  void Image_spectreMouseUp() {}
  // The image's geometry, measured by the view before it activates the
  // window (see `SpectreReception::Init_affichage_spectre`; throws
  // std::invalid_argument for a geometry that cannot hold a plot).
  void Init_affichage_spectre(int32_t hauteur, int32_t largeur, int32_t hauteur_titre,
                              int32_t hauteur_echelle);
  // The <Esc> key: transmission from reception, reception from a drained
  // transmission, nothing when stopped.
  void Touche_echap();

  // --- Keyboard and buttons of the typing window ---
  // A character key (Windows-1252) of `Memo2`, or of `RETOUR_MENU`: returns
  // the key that reaches `Memo2` (0 when suppressed), already applied to it.
  uint8_t Appui_touche(uint8_t k);
  // A key-down of `Memo2`, virtual key code v: F1 to F8 (112..119) send
  // their sequence while transmitting and are returned; every other key is
  // suppressed (0).
  int32_t Appui_touche_etendue(int32_t v);
  // A key-up of `Memo2`: always suppressed.
  int32_t Relachement_touche_etendue(int32_t) { return 0; }
  // `Sequence1` .. `Sequence8` (n = 1..8), `Arret_sequence`, a click in Memo2.
  void SequenceNClick(int32_t n);
  void Arret_sequenceClick();
  void Memo2Click();
  // A front-end without a typing window: key k queued as typed (translated,
  // refused when outside the alphabet or when the queue is full), without
  // the echo into `Memo2`. Returns the character queued, 0 for none.
  uint8_t Ajout_caractere(uint8_t k);
  // What is still queued is dropped; the characters already modulated go
  // out (a front-end's interruption).
  void Abandon_texte();

  // --- Gain buttons (on mouse release) ---
  void Gain_entree_fois_0_2MouseUP();
  void Gain_entree_fois0_4MouseUP();
  void Gain_entree_fois0_6MouseUP();
  void Gain_entree_fois0_8MouseUP();
  void Gain_entree_fois1MouseUP();
  void AGCMouseUp();

  // --- Real-time loop ---
  // One tick of the window timer: one pass of the real-time loop, or the
  // continuation of a pass that was waiting for the sound card; during a
  // transmission, then the transmit watchdog's check. Returns
  // true when the next tick has work (a new pass is due); false when the
  // loop waits for the sound card to finish a buffer or for the operator,
  // so a view may stop ticking until `Descripteur_reveil` becomes readable
  // or the operator acts. A tick that arrives while a pass is still running
  // (from a message box shown inside it) does nothing.
  bool Timer();
  // An eventfd that becomes readable whenever the sound card finishes a
  // buffer (-1 when the system gave none: keep ticking then), and its
  // acknowledgement, to be called before the ticks that follow a wake.
  int Descripteur_reveil();
  void Acquittement_reveil();

  // Frequency labels from `Frequence_centrale` (received and transmitted)
  // and "0 Hz" for the difference.
  void Affichage_frequences() override;
  // The three caption sets of the state buttons.
  void Etiquettes_reception();
  void Etiquettes_emission();
  void Etiquettes_arret();

  // --- State ---
  bool Reception_active = false;  // never both true
  bool Emission_active = false;
  bool Boucle_active = false;    // the real-time loop works
  bool Passage_termine = false;  // the previous pass has finished
  bool Entree_ouverte = false;   // the input device is open
  bool Clic_mode_a_ignorer = false;
  bool Fenetre_ouverte = false;  // between activation and closing
  // Transmit frequency, tenths of a hertz, and its real copy in hertz.
  int32_t Frequence_emission = Frequence_initiale;
  double Frequence_emission_reelle = 500.0;

  // --- What a front-end reads ---
  // Tuned frequency, Hz, and S/N label of the latest spectrum.
  double Frequence_centrale() const { return chaine.costas.Frequence_centrale; }
  int32_t Frequence_reference() const { return chaine.costas.Frequence_reference; }
  const Texte& Texte_s_sur_b() const { return spectre.Texte_s_sur_b; }
  int32_t Niveau_signal() const { return chaine.Niveau_signal; }
  bool Signal_verrouille() const { return decodeur.Signal_verrouille(); }
  // The text of a memo as the window shows it.
  const Texte& Texte_memo(MemoFenetre memo) const;
  // What the spectrum image shows now.
  DessinSpectre Dessin_spectre() const { return spectre.Dessin(); }
  // x of spectrum bin k on the image (3 Hz per bin), and the strongest bin
  // of the latest display with its value.
  int32_t Pixel_canal(int32_t k) const { return spectre.Pixel_canal(k); }
  int32_t Canal_pic() const { return spectre.Meilleur_canal; }
  int32_t Valeur_canal(int32_t k) const;
  // The transmission may end now (the drained condition).
  bool Emission_terminee() const { return emetteur.Emission_terminee(); }
  // Characters queued for transmission, and modulated samples not yet
  // handed to the sound card.
  size_t Longueur_texte_a_emettre() const { return saisie.Texte_a_emettre.size(); }
  size_t Echantillons_a_emettre() const { return emetteur.Echantillons_a_emettre.size(); }
  bool Sequence_en_cours() const { return saisie.Sequence_en_cours; }
  // Input buffers taken since construction, and whether received samples
  // are still waiting for the receive chain.
  uint64_t Tampons_recus() const { return reception.Tampons_pris; }
  bool Echantillons_en_attente() const { return reception.Position_lecture <= reception.Nombre_echantillons; }

 private:
  friend class AccesUnites;

  // Forwards a memo's changes to the view with the memo's identity.
  class RelaisMemo final : public ObservateurMemo {
   public:
    RelaisMemo(ObservateurTransceiver& observateur, MemoFenetre memo)
        : observateur_(&observateur), memo_(memo) {}
    void Memo_caractere(uint8_t c) override { observateur_->Memo_caractere(memo_, c); }
    void Memo_texte(VueTexte texte) override { observateur_->Memo_texte(memo_, texte); }

   private:
    ObservateurTransceiver* observateur_;
    MemoFenetre memo_;
  };

  // The units.
  FiltrePasseBande filtre;
  Memo memo1;
  Memo memo3;
  DecodageCaracteres decodeur;
  ChaineReception chaine;  // `chaine.costas`: tuned and tracked frequencies, S/N
  SpectreReception spectre;
  SaisieEmission saisie;  // `saisie.Memo2`, `Texte_a_emettre`, typing and sequences
  ControleGain gain;
  Modulateur modulateur;
  Reception reception;
  Emetteur emetteur;
  GardeEmission garde;

  void Sonner() override;
  void Affichage_image_spectre() override;
  void Application_classe(int32_t classe);
  void Ouverture_entree();
  void Abandon_emission();
  // A drained transmission stops: output closed, the watchdog disarmed; the
  // caller unkeys (or starts reception, which unkeys).
  void Fin_edition();
  // The watchdog's check at the end of a tick of a transmission.
  void Surveillance_garde();
  void Fermeture();
  void Changement_mode(bool maitre);
  void Changement_classe(int32_t classe);

  bool dans_passage_ = false;  // a pass of `Timer` is running

  RelaisMemo relais_memo1_;
  RelaisMemo relais_memo2_;
  RelaisMemo relais_memo3_;
};

}  // namespace talven
