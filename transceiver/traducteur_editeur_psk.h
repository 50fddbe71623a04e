// TRADUCTEUR_EDITEUR_PSK: the transceiver without its window.
//
// Responsibilities: owns every unit of reception and transmission — the
// band-pass filter shared by both directions, the per-sample receive chain
// (with the Costas loop), the character decoder, the spectrum, the keyboard
// entry with its sequences, the gain control, the modulator, the receive
// pipeline and the transmitter — and runs the transceiver's controller:
// activation, the three states (reception, transmission, stopped) and every
// transition between them, master and slave mode, the processor class, the
// captions in both languages, and the real-time loop. One call of `Timer`
// is one pass of that loop; where a pass would wait for the sound card to
// finish a buffer it returns instead, and the next call carries on, so no
// call ever waits.
// Collaborations: streams through `FonctionsWave` (any `Peripherique_son`,
// real or simulated), sets the mixer up through `FonctionsMixer`, keys the
// transmitter and rings the bell through `FonctionsPascal`, records into the
// program's `EnregistrementQso`, reports errors through `Boite_messages`,
// reads the language and the eight sequence texts; everything the window
// shows goes to one `ObservateurTransceiver`. The view calls the operations
// below for its buttons, keys and clicks, and calls `Timer` every
// millisecond or so.
#pragma once

#include <array>
#include <cstdint>

#include "app/fonctions_pascal.h"
#include "audio/fonctions_mixer.h"
#include "audio/fonctions_wave.h"
#include "common/langue.h"
#include "common/messages.h"
#include "common/texte.h"
#include "transceiver/chaine_reception.h"
#include "transceiver/controle_gain.h"
#include "transceiver/decodage_caracteres.h"
#include "transceiver/emetteur.h"
#include "transceiver/enregistrement_qso.h"
#include "transceiver/filtre_passe_bande.h"
#include "transceiver/memo.h"
#include "transceiver/modulateur.h"
#include "transceiver/observateur_transceiver.h"
#include "transceiver/reception.h"
#include "transceiver/saisie_emission.h"
#include "transceiver/analyse_reception.h"

namespace talven {

class TraducteurEditeurPsk final : private ActionsAccord, private Sonnerie {
  // Declared first: the units below are built on them.
  FonctionsWave* wave_;
  FonctionsMixer* mixer_;
  FonctionsPascal* pascal_;
  EnregistrementQso* enregistrement_;
  Boite_messages* boite_;
  const Langue* langue_;
  ObservateurTransceiver muet_;
  ObservateurTransceiver* observateur_;

 public:
  // The tuned frequency at each activation, tenths of a hertz (500.0 Hz).
  static constexpr int32_t Frequence_initiale = 5000;

  // Every collaborator must outlive the engine. `observateur` may be null
  // (nothing is shown). The engine starts closed: nothing runs until
  // `A_l_activation_de_la_fiche`.
  //   textes_sequences : sequence n is entry n - 1 (Windows-1252)
  TraducteurEditeurPsk(FonctionsWave& wave, FonctionsMixer& mixer, FonctionsPascal& pascal,
                       EnregistrementQso& enregistrement, Boite_messages& boite, const Langue& langue,
                       const std::array<Texte, SaisieEmission::Nombre_sequences>& textes_sequences,
                       ObservateurTransceiver* observateur = nullptr);
  // Stops whatever stream is still open (output drained or not), unkeys.
  ~TraducteurEditeurPsk() override;
  TraducteurEditeurPsk(const TraducteurEditeurPsk&) = delete;
  TraducteurEditeurPsk& operator=(const TraducteurEditeurPsk&) = delete;

  // --- Settings (the main window's, read at the operations that use them) ---
  int32_t Classe_processeur = 2;  // 1 or 2: receive parameter set
  bool Mode_maitre_actif = true;  // master: transmit on the tuned frequency; slave: on the tracked one
  // Serial keying: `emetteur.Port_serie_actif` and `emetteur.Adresse_MCR`.
  // Gain choice and input selection: `gain` (`Gain_choisi`, `CAG_active`,
  // `Choix_entree_gauche`) and the mixer's settings.

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
  // The <Esc> key: transmission from reception, reception from a drained
  // transmission, nothing when stopped.
  void Touche_echap();
  // One tick of the window timer: one pass of the real-time loop, or the
  // continuation of a pass that was waiting for the sound card.
  void Timer();

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

  // --- The units (read them freely; drive them through the operations
  // above) ---
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

  // Tuned frequency, Hz, and S/N label of the latest spectrum.
  double Frequence_centrale() const { return chaine.costas.Frequence_centrale; }
  const Texte& Texte_s_sur_b() const { return spectre.Texte_s_sur_b; }
  int32_t Niveau_signal() const { return chaine.Niveau_signal; }

 private:
  // Forwards a memo's changes to the view with the memo's identity.
  class RelaisMemo final : public ObservateurMemo {
   public:
    RelaisMemo(ObservateurTransceiver*& observateur, MemoFenetre memo)
        : observateur_(&observateur), memo_(memo) {}
    void Memo_caractere(uint8_t c) override { (*observateur_)->Memo_caractere(memo_, c); }
    void Memo_texte(VueTexte texte) override { (*observateur_)->Memo_texte(memo_, texte); }

   private:
    ObservateurTransceiver** observateur_;
    MemoFenetre memo_;
  };

  void Sonner() override;
  void Application_classe(int32_t classe);
  void Ouverture_entree();
  void Abandon_emission();
  void Fermeture();
  void Changement_mode(bool maitre);
  void Changement_classe(int32_t classe);

  RelaisMemo relais_memo1_;
  RelaisMemo relais_memo2_;
  RelaisMemo relais_memo3_;
};

}  // namespace talven
