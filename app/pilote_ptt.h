// Keying a transmitter by a command on its control (CAT) port, through
// Hamlib, for radios that key over that port rather than by DTR/RTS.
//
// Responsibilities: open a rig of a Hamlib model on a port, releasing its
// PTT at once (an open never keys, and a rig that cannot take a PTT command
// fails to open); set and release PTT; release it and close the rig.
// Collaborations: used by ManipulationSerie (manipulation_serie.h) in
// place of the serial lines when CAT keying is chosen; Hamlib (libhamlib),
// loaded when first used.
#pragma once

#include <string>

namespace talven {

class Pilote_ptt {
 public:
  virtual ~Pilote_ptt() = default;
  // Opens rig `modele` (Hamlib's model number) on `port` (a device such as
  // /dev/ttyUSB0, or host:port for a network model) and releases its PTT;
  // false when it could not be opened or refused the PTT command, with the
  // reason in `Erreur`. An open rig is closed first.
  virtual bool Ouverture(int modele, const std::string& port) = 0;
  // PTT on (transmitter keyed) or off; false when the rig refused.
  virtual bool Emission(bool emission) = 0;
  // Releases PTT and closes the rig, if one is open.
  virtual void Fermeture() = 0;
  virtual bool Ouvert() const = 0;
  // Hamlib's text for the last failure.
  virtual const std::string& Erreur() const = 0;
  // When the last failure was the control port's, an errno value: ENOENT
  // or EACCES (what the device's access says), EIO (the port would not
  // open or the rig did not answer on it); 0 otherwise.
  virtual int Erreur_port() const { return 0; }
};

// The Hamlib back-end. With `factice`, Hamlib's dummy rig (model 1) is
// opened whatever model is asked, and the port is not touched: the
// simulated station keys nothing real.
class Ptt_hamlib final : public Pilote_ptt {
 public:
  static constexpr int Modele_factice = 1;  // Hamlib's dummy rig

  explicit Ptt_hamlib(bool factice = false);
  ~Ptt_hamlib() override;
  Ptt_hamlib(const Ptt_hamlib&) = delete;
  Ptt_hamlib& operator=(const Ptt_hamlib&) = delete;

  bool Ouverture(int modele, const std::string& port) override;
  bool Emission(bool emission) override;
  void Fermeture() override;
  bool Ouvert() const override { return rig_ != nullptr; }
  const std::string& Erreur() const override { return erreur_; }
  int Erreur_port() const override { return erreur_port_; }

  // The PTT state the rig reports (true: keyed); false when it cannot tell.
  bool Lecture_emission() const;

 private:
  void* rig_ = nullptr;  // RIG*, kept out of this header
  bool factice_;
  std::string erreur_;
  int erreur_port_ = 0;
};

// "Maker Model" of a Hamlib model number, empty when Hamlib knows none.
std::string Nom_modele_hamlib(int modele);

}  // namespace talven
