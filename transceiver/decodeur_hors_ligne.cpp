#include "transceiver/decodeur_hors_ligne.h"

#include <stdexcept>

namespace talven {

DecodeurHorsLigne::DecodeurHorsLigne(int32_t frequence, int32_t classe)
    : enregistrement(boite_), decodeur(enregistrement, memo1, muet_, muet_), chaine(filtre, decodeur) {
  if (frequence < 2000 || frequence > 22000)
    throw std::invalid_argument("receive frequency must lie between 200.0 and 2200.0 Hz");
  decodeur.Init_table_decodage();
  chaine.Application_classe(classe);
  chaine.costas.Frequence_reference = frequence;
  chaine.costas.Frequence_centrale = frequence * 0.1;
  decodeur.Debut_reception();
  chaine.Init_traitement_reception();
}

void DecodeurHorsLigne::Traitement(std::span<const uint8_t> echantillons) {
  for (uint8_t c : echantillons) chaine.Traitement_echantillon(c);
}

}  // namespace talven
