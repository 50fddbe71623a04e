#include "app/pilote_serie.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>

namespace talven {

namespace {

constexpr int Lignes_manipulation = TIOCM_DTR | TIOCM_RTS;

void Baisse_lignes(int fd) {
  int bits = Lignes_manipulation;
  ::ioctl(fd, TIOCMBIC, &bits);
}

// Descriptors of the open ports, -1 for a free slot.
constexpr int Nombre_emplacements = 8;
std::atomic<int> emplacements[Nombre_emplacements] = {-1, -1, -1, -1, -1, -1, -1, -1};
std::atomic<bool> installee{false};

constexpr int Signaux[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};

extern "C" void Gestionnaire_signal(int signal) {
  Garde_lignes_serie::Relachement();
  struct sigaction defaut {};
  defaut.sa_handler = SIG_DFL;
  sigemptyset(&defaut.sa_mask);
  sigaction(signal, &defaut, nullptr);
  raise(signal);
}

}  // namespace

int Serie_linux::Ouverture(const std::string& peripherique) {
  erreur_ = 0;
  const int fd = ::open(peripherique.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    // TIOCEXCL of another owner gives EBUSY here.
    erreur_ = errno;
    return -1;
  }
  if (!::isatty(fd)) {  // not a serial device: there are no lines to drive
    ::close(fd);
    erreur_ = ENOTTY;
    return -1;
  }
  // Another program holding the port keeps its lock (or its TIOCEXCL): fail
  // without touching its lines.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    erreur_ = errno == EWOULDBLOCK ? EBUSY : errno;
    ::close(fd);
    return -1;
  }
  Baisse_lignes(fd);
  ::ioctl(fd, TIOCEXCL);
  termios t{};
  if (::tcgetattr(fd, &t) == 0) {
    cfsetospeed(&t, B0);
    cfsetispeed(&t, B0);
    t.c_cflag |= HUPCL | CLOCAL;
    ::tcsetattr(fd, TCSANOW, &t);
  }
  // B0 drops the lines on some drivers, and keeps them dropped; make sure.
  Baisse_lignes(fd);
  Garde_lignes_serie::Surveillance(fd);
  return fd;
}

void Serie_linux::Lignes(int poignee, bool dtr, bool rts) {
  if (poignee < 0) return;
  int hautes = (dtr ? TIOCM_DTR : 0) | (rts ? TIOCM_RTS : 0);
  int basses = Lignes_manipulation & ~hautes;
  if (basses != 0) ::ioctl(poignee, TIOCMBIC, &basses);
  if (hautes != 0) ::ioctl(poignee, TIOCMBIS, &hautes);
}

void Serie_linux::Fermeture(int poignee) {
  if (poignee < 0) return;
  Baisse_lignes(poignee);
  Garde_lignes_serie::Fin_surveillance(poignee);
  ::ioctl(poignee, TIOCNXCL);
  ::close(poignee);
}

void Garde_lignes_serie::Installation() {
  if (installee.exchange(true)) return;
  struct sigaction action {};
  action.sa_handler = Gestionnaire_signal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESETHAND;
  for (int s : Signaux) sigaction(s, &action, nullptr);
  // exit() without the keying unit's destructor (and a last close with
  // HUPCL, which also covers SIGKILL) leaves the lines dropped too.
  std::atexit(Relachement);
}

void Garde_lignes_serie::Surveillance(int descripteur) {
  for (auto& e : emplacements) {
    int libre = -1;
    if (e.compare_exchange_strong(libre, descripteur)) return;
  }
}

void Garde_lignes_serie::Fin_surveillance(int descripteur) {
  for (auto& e : emplacements) {
    int attendu = descripteur;
    e.compare_exchange_strong(attendu, -1);
  }
}

void Garde_lignes_serie::Relachement() {
  for (auto& e : emplacements) {
    const int fd = e.load();
    if (fd >= 0) Baisse_lignes(fd);
  }
}

}  // namespace talven
