// Serial ports used only to key a transmitter through their DTR and RTS
// lines.
//
// Responsibilities: open a port exclusively (a port held by another program,
// typically a serial mouse, must fail), drive DTR and RTS, close it; never
// leave the transmitter keyed by an open, a close or the program's end.
// Collaborations: used by ManipulationSerie (manipulation_serie.h); the
// Linux back-end registers each open port with Garde_lignes_serie so that the
// lines are released when the program dies from a signal.
#pragma once

#include <string>

namespace talven {

class Pilote_serie {
 public:
  virtual ~Pilote_serie() = default;
  // Opens `peripherique` (e.g. "/dev/ttyS0") for reading and writing,
  // exclusively, and drops DTR and RTS at once. Returns a handle >= 0, or -1
  // when the device does not exist or another program holds it; then
  // `Erreur` tells why.
  virtual int Ouverture(const std::string& peripherique) = 0;
  // Why the last open failed, as an errno value: EACCES or EPERM (no right
  // to the device), EBUSY (another program holds it, by TIOCEXCL or by its
  // lock), ENOENT, ENODEV or ENXIO (no such device), ENOTTY (not a serial
  // device), ...; 0 after a successful open or when the back-end cannot
  // tell.
  virtual int Erreur() const { return 0; }
  // Sets DTR and RTS of an open port (true = asserted, transmitter keyed).
  virtual void Lignes(int poignee, bool dtr, bool rts) = 0;
  // Drops DTR and RTS, then closes the port.
  virtual void Fermeture(int poignee) = 0;
};

// The Linux serial driver: open(O_RDWR | O_NOCTTY | O_NONBLOCK), an
// exclusive advisory lock (flock) plus TIOCEXCL, TIOCMBIC of DTR | RTS right
// after the open, the speed left at B0 (with HUPCL) so that drivers which
// honour it do not raise the lines on the next open; keying with
// TIOCMBIS/TIOCMBIC. Handles are file descriptors.
class Serie_linux final : public Pilote_serie {
 public:
  int Ouverture(const std::string& peripherique) override;
  int Erreur() const override { return erreur_; }
  void Lignes(int poignee, bool dtr, bool rts) override;
  void Fermeture(int poignee) override;

 private:
  int erreur_ = 0;
};

// Releases DTR and RTS of every open port when the program is stopped by a
// signal: Ctrl-C (SIGINT), SIGTERM, SIGHUP, SIGQUIT, or a crash (SIGSEGV,
// SIGBUS, SIGFPE, SIGILL, SIGABRT). The handler only issues TIOCMBIC on the
// registered descriptors, then restores the default action and raises the
// signal again, so the program ends as it would have. A signal handler can
// only reach process-wide state, so the registered descriptors are the one
// process-wide table of the program (a few lock-free atomic slots).
class Garde_lignes_serie {
 public:
  // Installs the handlers (once; later calls do nothing).
  static void Installation();
  // Registers or unregisters an open port's descriptor; done by Serie_linux.
  static void Surveillance(int descripteur);
  static void Fin_surveillance(int descripteur);
  // Drops DTR and RTS of every registered port (what the handler does).
  static void Relachement();
};

}  // namespace talven
