// Keying of a transmitter without VOX through the DTR and RTS lines of a
// serial port COM 1 to COM 4, or by CAT through the radio's control port.
//
// Responsibilities: derive the selected port and its modem-control-register
// address from the configuration byte; open the port exclusively (to reserve
// it and to detect another program holding it), close it, test it with a text
// for the status line, a failure followed by why and what to do
// (diagnostic_serie.h); turn keying writes to the modem control register
// (0x0B keyed, 0x08 released) into DTR and RTS of the opened port, OUT2
// ignored, or into the rig's PTT with CAT keying. Opening, testing and
// closing never assert DTR or RTS nor set PTT: only the keying writes do,
// and the port or rig is released whenever it is closed or this object goes
// away.
// Collaborations: a `Pilote_serie` back-end (Linux driver or simulated) and
// a `Pilote_ptt` (Hamlib), owned by the caller; the port space hands it
// the writes to 0x3FC, 0x2FC, 0x3EC and 0x2EC; the main window shows the
// texts.
//
// Devices. COM 1 to COM 4 are /dev/ttyS0 to /dev/ttyS3 unless remapped, e.g.
// for a USB serial adapter:
//   - in the file $XDG_CONFIG_HOME/talven/ports.conf (~/.config/talven/ports.conf
//     when XDG_CONFIG_HOME is not set), one mapping per line:
//         # keying interface
//         COM1=/dev/ttyUSB0
//         COM2=/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0
//     blank lines and lines starting with '#' are ignored, spaces around the
//     name and the device are trimmed, unknown names are ignored;
//   - or in the environment: TALVEN_COM1=/dev/ttyUSB0 (wins over the file).
// The main window's menu writes these lines (fichier_ports.h).
//
// CAT keying. A radio keyed by a command on its control port instead of
// DTR/RTS: in ports.conf
//         KEYING=CAT
//         CAT_MODEL=1035          # Hamlib's rig model number
//         CAT_PORT=/dev/ttyUSB0   # its control port (or host:port of rigctld)
// Then the keying writes go to the rig's PTT (a `Pilote_ptt`) instead of
// the serial lines, in the same order.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "app/diagnostic_serie.h"
#include "app/fonctions_pascal.h"
#include "app/pilote_ptt.h"
#include "app/pilote_serie.h"
#include "app/registre_controle_modem.h"
#include "common/langue.h"
#include "common/texte.h"

namespace talven {

// The device behind each of COM 1 to COM 4.
struct Correspondance_ports {
  std::array<std::string, 4> Peripheriques{"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS2", "/dev/ttyS3"};
  // KEYING=CAT: keyed through the rig's CAT port, model CAT_MODEL (0 when
  // not given) on CAT_PORT.
  bool Cat = false;
  int Modele_cat = 0;
  std::string Port_cat;

  // Applies the lines of a ports.conf file's content.
  void Lecture_fichier(std::string_view contenu);
  // Applies TALVEN_COM1 .. TALVEN_COM4 from the environment.
  void Lecture_environnement();
  // Defaults, then the user's ports.conf, then the environment.
  static Correspondance_ports Chargement();
};

class ManipulationSerie final : public Registre_controle_modem {
 public:
  // Register values written by the keying.
  static constexpr uint8_t Emission = 0x0B;   // DTR, RTS and OUT2: transmitter keyed
  static constexpr uint8_t Reception = 0x08;  // OUT2 only: transmitter released

  // `pilote` (and `ptt`, the CAT back-end, nullptr for none) must outlive
  // this object.
  explicit ManipulationSerie(Pilote_serie& pilote,
                             Correspondance_ports ports = Correspondance_ports::Chargement(),
                             Pilote_ptt* ptt = nullptr);
  ~ManipulationSerie() override;
  // One object owns the open port; it is not copied.
  ManipulationSerie(const ManipulationSerie&) = delete;
  ManipulationSerie& operator=(const ManipulationSerie&) = delete;

  bool Port_serie_actif = false;  // a port is selected
  uint8_t Port_serie = 1;         // selected port, 1 .. 4
  uint16_t Adresse_MCR = 0x3FC;   // I/O address of its modem control register

  // Serial-port byte of the configuration: 1 .. 4 for COM 1 .. COM 4, 5 (or
  // any other value) for none. With CAT keying chosen the byte is not
  // looked at: keying is active, through the rig, and the keying writes go
  // to COM 1's register address.
  void Choix_port_serie(uint8_t octet);
  // Whether the keying goes through the rig's CAT port.
  bool Manipulation_cat() const { return ports_.Cat; }
  // CAT keying on (with the rig model and port) or off (back to the serial
  // lines of the configured port); takes effect at the next
  // `Choix_port_serie` and open; any open port or rig is closed.
  void Choix_cat(bool cat, int modele, const std::string& port);
  // Opens what keys the transmitter: the rig by CAT, or the selected COM
  // port; true when it opened (or nothing is selected).
  bool Ouverture_selection();
  // Opens COM n (1 .. 4) exclusively, closing any open port first; true on
  // success. The port stays open until the next open or close.
  bool Ouverture_port_serie(int n);
  // Closes the open port or rig, if any, with DTR and RTS or PTT released.
  void Fermeture_port_serie();
  // Opens and closes the selected port; the outcome text for the status line
  // (a failure followed by its explanation, when its cause is known).
  Texte Test_port_serie(const Langue& langue);
  // Message box text when the selected port cannot be opened before a
  // transmission, followed by the explanation of the last failed open.
  Texte Message_port_non_ouvert(const Langue& langue) const;
  // Why the last open failed and what to do; empty when it is not known or
  // the last open succeeded.
  Texte Explication_echec(const Langue& langue) const;
  // errno of the last failed open (0 after a success).
  int Erreur_ouverture() const { return erreur_; }
  // Where the holder of a busy port is looked for (a test's fake /proc).
  std::string Racine_proc = "/proc";

  // The device behind each COM port, and a new mapping for COM n (1 .. 4),
  // in force from the next open.
  const Correspondance_ports& Ports() const { return ports_; }
  void Attribution(int n, const std::string& peripherique);

  // Keys (0x0B) or releases (0x08) the transmitter through the port space,
  // when a port is selected; with "None" nothing is written.
  void Manipulation_emission(FonctionsPascal& pascal) const;
  void Manipulation_reception(FonctionsPascal& pascal) const;

  // A write of `valeur` to I/O address `adresse`: a write to the modem
  // control register of the open port sets its DTR (bit 0) and RTS (bit 1);
  // other bits and other addresses are ignored.
  void Ecriture_mcr(uint16_t adresse, uint8_t valeur) override;

  // Handle of the open port, -1 when none.
  int Poignee() const { return poignee_; }

 private:
  bool Ouverture_cat();
  Texte Description_cat(const Langue& langue) const;

  Pilote_serie* pilote_;
  Pilote_ptt* ptt_;
  bool cat_ouvert_ = false;
  std::string erreur_cat_;  // Hamlib's text of the last failed rig open
  Correspondance_ports ports_;
  int poignee_ = -1;
  int port_ouvert_ = 0;  // COM number of the open port, 0 when none
  // The last failed open: errno, COM number, device, holder, owner group.
  int erreur_ = 0;
  int port_echec_ = 0;
  std::string peripherique_echec_;
  std::optional<Detenteur_port> detenteur_;
  std::string groupe_;
};

}  // namespace talven
