// The desktop's ways of ending a program (SIGTERM at logout or from the
// session, SIGINT from a terminal, SIGHUP when the terminal goes) turned into
// the program's own exit, run on the user-interface thread.
//
// Responsibilities: catch the three signals with a handler that only writes
// to a pipe; read the pipe through the event loop and call the exit once; a
// second signal while the exit runs (a message box the operator does not
// answer, say) ends the program the way the handler found before it would
// (the serial-line guard's: lines released, then the default action).
// Collaborations: the program gives the exit to run; the serial-line guard,
// installed before this, stays in charge of the crash signals.
#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace talven {

class ArretParSignal final : public QObject {
 public:
  // `sortie` runs on the first signal. One object at a time per process;
  // its destructor puts the handlers it found back.
  explicit ArretParSignal(std::function<void()> sortie, QObject* parent = nullptr);
  ~ArretParSignal() override;
  ArretParSignal(const ArretParSignal&) = delete;
  ArretParSignal& operator=(const ArretParSignal&) = delete;

  // The signal that arrived, 0 while none has.
  int Signal_recu() const;

 private:
  void Lecture();

  std::function<void()> sortie_;
  QSocketNotifier* notificateur_ = nullptr;
  bool faite_ = false;
};

}  // namespace talven
