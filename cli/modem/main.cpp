// talven-modem: the TALVEN modem engine from the command line. Reads the
// command line and hands it to the command; the work is in commandes.cpp.
//
// Standard output carries the product of decode, loopback, receive and the
// help, and the sound of encode and morse with -o -: when it is closed, full or a pipe whose reader has gone,
// the program says so on standard error and exits with status 1, never killed by SIGPIPE and never reporting
// success for a text nobody got.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/modem/commandes.h"
#include "cli/modem/options.h"
#include "cli/modem/peripheriques.h"

namespace {

// A standard descriptor the caller closed gets /dev/null, so that no file
// the program opens takes its number and receives the text or the messages
// instead. True when standard output was closed.
bool Reservation_descripteurs() {
  bool sortie_fermee = false;
  for (int d = STDIN_FILENO; d <= STDERR_FILENO; ++d) {
    if (fcntl(d, F_GETFD) != -1 || errno != EBADF) continue;
    sortie_fermee = sortie_fermee || d == STDOUT_FILENO;
    // The lowest free number: `d` itself, the ones below being open.
    const int n = open("/dev/null", d == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    if (n >= 0 && n != d) {
      dup2(n, d);
      close(n);
    }
  }
  return sortie_fermee;
}

// The command's product goes to standard output: the text, or the sound
// file of encode and morse given as "-o -".
bool Ecrit_sur_sortie(const talven::modem::Options& o) {
  using talven::modem::Commande;
  const Commande c = o.commande;
  if ((c == Commande::Encode || (c == Commande::Morse && !o.carte)) && o.sortie == "-") return true;
  return c == Commande::Aide || c == Commande::Decode || c == Commande::Loopback || c == Commande::Receive ||
         c == Commande::Devices;
}

// The command's status, once what it left in the buffer of standard output
// is written: a command that succeeded fails when its output did not go out.
int Fin_sortie(int code) {
  errno = 0;
  if ((std::fflush(stdout) == 0 && std::ferror(stdout) == 0) || code != talven::modem::Sortie_ok) return code;
  const int e = errno;
  std::fprintf(stderr, "talven-modem: standard output: %s\n", e != 0 ? std::strerror(e) : "write error");
  return talven::modem::Sortie_echec;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace talven::modem;
  const bool sortie_fermee = Reservation_descripteurs();
  // A write to a pipe whose reader has gone fails with EPIPE, seen and
  // reported, instead of killing the program.
  std::signal(SIGPIPE, SIG_IGN);
  std::vector<std::string> arguments(argv + 1, argv + argc);
  Lecture_options lecture = Analyse_options(arguments);
  if (!lecture.erreur.empty()) {
    std::fprintf(stderr, "talven-modem: %s\nTry 'talven-modem --help'.\n", lecture.erreur.c_str());
    return Sortie_usage;
  }
  Options& o = lecture.options;
  if (sortie_fermee && Ecrit_sur_sortie(o)) {
    std::fputs("talven-modem: standard output is closed: nowhere to write the output\n", stderr);
    return Sortie_echec;
  }
  // The commands on the sound card take the chosen device, and never start
  // on another one when it is missing.
  if (o.commande == Commande::Transmit || o.commande == Commande::Receive ||
      (o.commande == Commande::Morse && o.carte)) {
    o.peripherique = Peripherique_de_la_commande(o);
    if (!Peripherique_present(o.peripherique)) return Sortie_echec;
  }
  switch (o.commande) {
    case Commande::Devices:
      return Fin_sortie(Devices(o));
    case Commande::Aide:
      std::fputs(Texte_aide, stdout);
      return Fin_sortie(Sortie_ok);
    case Commande::Encode:
      return Encode(o);
    case Commande::Decode:
      return Fin_sortie(Decode(o));
    case Commande::Loopback:
      return Fin_sortie(Loopback(o));
    case Commande::Transmit:
      return Transmit(o);
    case Commande::Receive:
      return Fin_sortie(Receive(o));
    case Commande::Morse:
      return Morse(o);
  }
  return Sortie_usage;
}
