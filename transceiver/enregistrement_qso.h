// The QSO record: everything received and sent during the program run, kept
// in memory, shown by the QSO viewer and written to the QSO file at exit.
//
// Responsibilities: store characters in a fixed record of 100000 positions,
// mark each change of direction, delete the last character of the current
// direction, and warn the operator when the record is full.
// Collaborations: the receive side (DecodageCaracteres) and the transmitter
// add and delete characters and set the markers; a `Boite_messages` shows the
// full-record warning.
//
// Positions are counted from 1 as the fill count `Index_QSO` does: position k
// is byte k - 1 of `Enregistrement_QSO`. The record is never reallocated.
// A station that keeps no contact (the command-line modem) builds a record
// that keeps nothing: it stays empty and never fills, however long the
// reception or the transmission.
#pragma once

#include <cstdint>

#include "common/messages.h"
#include "common/texte.h"

namespace talven {

class EnregistrementQso {
 public:
  // Size of the record, characters.
  static constexpr int32_t Taille = 100000;
  // Above this fill count the record is treated as full and the operator is
  // warned.
  static constexpr int32_t Seuil_plein = 99997;
  // Markers written at each start of reception ('Å') and of transmission ('É').
  static constexpr uint8_t Marque_reception = 197;
  static constexpr uint8_t Marque_emission = 201;
  // The warning, one text for both languages.
  static constexpr VueTexte Message_plein = "No more QSO recording  - Plus d'enregistrement du QSO";

  // `boite` must outlive the record. The record starts empty; with
  // `conserve` false every operation leaves it so.
  explicit EnregistrementQso(Boite_messages& boite, bool conserve = true);

  // Stores c after the last character; once the record is full, c overwrites
  // the last position instead. Used for transmitted characters and markers.
  void Ajout_QSO(uint8_t c);
  // Stores c after the last character; once the record is full, c is dropped.
  // Used for received characters.
  void Ajout_QSO_recu(uint8_t c);
  // Removes the last received character: a line feed goes together with the
  // carriage return before it. Nothing is removed from a full record nor at
  // or before `Debut_modifiable_QSO`.
  void Effacement_QSO_recu();
  // Removes the last transmitted character, under the same bounds.
  void Effacement_QSO_emis();
  // Writes the direction block CR LF CR LF m space CR LF and makes everything
  // before it final (no deletion reaches it).
  //   m : Marque_reception or Marque_emission
  void Marque_QSO(uint8_t m);
  // To be called after each character added by the receive side or by the
  // transmitter: when the fill count passes `Seuil_plein`, shows
  // `Message_plein` once. It comes again only after the record had room again
  // (a deletion took the fill count back to `Seuil_plein` or below), so a full
  // record does not stop the operator with a message at every character.
  void Controle_plein();

  // The whole record, `Taille` bytes (Windows-1252); only the first
  // `Index_QSO` are meaningful.
  const Texte& Enregistrement_QSO() const { return enregistrement_; }
  // Number of characters stored, 0..Taille.
  int32_t Index_QSO() const { return index_; }
  // Fill count just after the last marker, 0..Taille; deletions stop there.
  int32_t Debut_modifiable_QSO() const { return debut_modifiable_; }
  // The stored characters, for the QSO file and the viewer.
  Texte Contenu() const { return enregistrement_.substr(0, static_cast<size_t>(index_)); }

 private:
  void Rearmement();

  Texte enregistrement_;
  int32_t index_ = 0;
  int32_t debut_modifiable_ = 0;
  // True once the full-record warning was shown for the current filling.
  bool message_montre_ = false;
  bool conserve_;
  Boite_messages* boite_;
};

}  // namespace talven
