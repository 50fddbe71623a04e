#include "transceiver/chaine_reception.h"

#include <cstdlib>
#include <stdexcept>

#include "common/arrondi.h"

namespace talven {

const Parametres_classe& Parametres_de_classe(int32_t classe) {
  if (classe == 1) return Parametres_classe_1;
  if (classe == 2) return Parametres_classe_2;
  throw std::invalid_argument("processor class must be 1 or 2");
}

ChaineReception::ChaineReception(FiltrePasseBande& filtre, DecodageCaracteres& decodeur)
    : filtre_(&filtre), decodeur_(&decodeur) {
  Application_classe(2);
}

void ChaineReception::Application_classe(int32_t classe) {
  parametres_ = &Parametres_de_classe(classe);
  Classe_processeur = classe;
  costas.Decalage_gain_costas = parametres_->Decalage_gain_costas;
  rythme.Duree_filtre_rythme = parametres_->Duree_filtre_rythme;
  rythme.Demi_largeur_rythme = parametres_->Demi_largeur_rythme;
}

void ChaineReception::Init_traitement_reception() {
  Compteur_echantillons = 0;
  rythme.Decimation_rythme = parametres_->Decimation;
  Facteur_decimation = Frequence_echantillonnage / (Frequence_echantillonnage / rythme.Decimation_rythme);
  Top_symbole = 0;
  Top_symbole_precedent = 0;
  Init_filtre_reception();
  costas.Init_costas(Frequence_echantillonnage);
  demodulation.Init_demodulation_complexe(Frequence_echantillonnage, Rapidite);
  rythme.Init_recuperation_du_rythme(Rapidite, Frequence_echantillonnage / Facteur_decimation);
  filtrage_adapte.Init_filtrage_adapte(Rapidite, Frequence_echantillonnage);
  decodeur_->Init_fenetre_bits();
  costas.Signal_verrouille = decodeur_->Signal_verrouille();
}

void ChaineReception::Init_filtre_reception() {
  FiltrePasseBande& f = *filtre_;
  f.L = parametres_->Longueur_filtre;
  f.Effacement_historique();
  const auto F = static_cast<double>(Arrondi(static_cast<Etendu>(costas.Frequence_centrale)));
  f.f_lo = F - parametres_->Demi_largeur_bande;
  f.f_hi = F + parametres_->Demi_largeur_bande;
  f.Frequence_echantillonnage = Frequence_echantillonnage;
  f.Diviseur = parametres_->Diviseur_filtre;
  f.Calcul_filtre_passe_bande();
}

void ChaineReception::Traitement_echantillon(uint8_t c) {
  // A 32-bit count that wraps, after some 54 hours of reception, instead of
  // overflowing.
  Compteur_echantillons = static_cast<int32_t>(static_cast<uint32_t>(Compteur_echantillons) + 1u);
  const int32_t x = 2 * static_cast<int32_t>(c) - 255;

  if (++Compteur_niveau >= 10) {
    Compteur_niveau = 0;
    const int32_t a = std::abs(x) * 20;
    if (a > Crete_niveau) {
      Crete_niveau = a;
    } else if (Crete_niveau > 0) {
      --Crete_niveau;
    }
    Niveau_signal = Crete_niveau * 100 / 5100;
  }

  const int32_t y = filtre_->Filtre_passe_bande(x);
  const int32_t s = y > 0 ? 255 : -255;  // a zero output counts as negative

  double I = 0.0;
  double Q = 0.0;
  demodulation.Demodulation_complexe(s, costas.Phase_oscillateur / 100, I, Q);
  costas.Boucle_costas(costas.Frequence_reference, I, Q);
  m_ = filtrage_adapte.Filtrage_adapte(I);

  // Compteur_echantillons mod Facteur_decimation, by a prepared division.
  if (Facteur_decimation != decimation_.Valeur() && Facteur_decimation != 0)
    decimation_ = DiviseurFixe<int32_t>(Facteur_decimation);
  if (Compteur_echantillons - decimation_.Quotient(Compteur_echantillons) * Facteur_decimation != 0) return;

  Top_symbole = rythme.Recuperation_du_rythme(m_);
  if (Top_symbole_precedent == 0 && Top_symbole == 1) {
    const uint8_t signe = m_ > 0 ? 1 : 0;
    // A change of sign between two symbols is a phase reversal: bit "1".
    decodeur_->Traitement_bit(signe == Signe_precedent ? '0' : '1', m_);
    costas.Signal_verrouille = decodeur_->Signal_verrouille();
    Signe_precedent = signe;
  }
  Top_symbole_precedent = Top_symbole;
}

}  // namespace talven
