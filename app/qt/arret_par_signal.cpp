#include "app/qt/arret_par_signal.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <array>
#include <atomic>
#include <csignal>

namespace talven {

namespace {

constexpr std::array<int, 3> Signaux{SIGTERM, SIGINT, SIGHUP};

// What a signal handler may reach: process-wide, lock-free.
int tube[2] = {-1, -1};
std::atomic<int> signal_recu{0};
struct sigaction precedents[3];

int Rang(int s) {
  for (size_t i = 0; i < Signaux.size(); ++i)
    if (Signaux[i] == s) return static_cast<int>(i);
  return -1;
}

extern "C" void Reception_signal(int s) {
  int attendu = 0;
  if (!signal_recu.compare_exchange_strong(attendu, s)) {
    // The exit is already running: the handler found at installation
    // (the serial-line guard, or the default action) takes over.
    const int r = Rang(s);
    if (r >= 0) ::sigaction(s, &precedents[r], nullptr);
    ::raise(s);
    return;
  }
  const char octet = static_cast<char>(s);
  [[maybe_unused]] const ssize_t n = ::write(tube[1], &octet, 1);
}

}  // namespace

ArretParSignal::ArretParSignal(std::function<void()> sortie, QObject* parent)
    : QObject(parent), sortie_(std::move(sortie)) {
  if (::pipe2(tube, O_CLOEXEC | O_NONBLOCK) != 0) return;
  notificateur_ = new QSocketNotifier(tube[0], QSocketNotifier::Read, this);
  connect(notificateur_, &QSocketNotifier::activated, this, [this] { Lecture(); });
  struct sigaction a {};
  a.sa_handler = Reception_signal;
  sigemptyset(&a.sa_mask);
  for (size_t i = 0; i < Signaux.size(); ++i) ::sigaction(Signaux[i], &a, &precedents[i]);
}

ArretParSignal::~ArretParSignal() {
  for (size_t i = 0; i < Signaux.size(); ++i) ::sigaction(Signaux[i], &precedents[i], nullptr);
  if (tube[0] >= 0) {
    ::close(tube[0]);
    ::close(tube[1]);
    tube[0] = tube[1] = -1;
  }
  signal_recu.store(0);
}

int ArretParSignal::Signal_recu() const {
  return signal_recu.load();
}

void ArretParSignal::Lecture() {
  char octet = 0;
  while (::read(tube[0], &octet, 1) > 0) {
  }
  if (faite_) return;
  faite_ = true;
  if (sortie_) sortie_();
}

}  // namespace talven
