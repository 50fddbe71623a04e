// The transceiver engine's units, reached by the tests to inspect them or to
// prepare a state that only a long signal would produce (a tracked
// frequency, a buffer with a given byte). Front-ends go through the engine's
// operations instead.
#pragma once

#include "transceiver/traducteur_editeur_psk.h"

namespace talven {

class AccesUnites {
 public:
  explicit AccesUnites(TraducteurEditeurPsk& m)
      : filtre(m.filtre),
        memo1(m.memo1),
        decodeur(m.decodeur),
        chaine(m.chaine),
        spectre(m.spectre),
        saisie(m.saisie),
        gain(m.gain),
        modulateur(m.modulateur),
        reception(m.reception),
        emetteur(m.emetteur) {}

  FiltrePasseBande& filtre;
  Memo& memo1;
  DecodageCaracteres& decodeur;
  ChaineReception& chaine;
  SpectreReception& spectre;
  SaisieEmission& saisie;
  ControleGain& gain;
  Modulateur& modulateur;
  Reception& reception;
  Emetteur& emetteur;
};

}  // namespace talven
