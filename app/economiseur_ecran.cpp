#include "app/economiseur_ecran.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <system_error>
#include <thread>

extern char** environ;

namespace talven {

namespace {

constexpr const char* Programme_xdg = "xdg-screensaver";

std::string Hexadecimal(uint64_t fenetre_x) {
  char texte[24];
  std::snprintf(texte, sizeof(texte), "0x%" PRIx64, fenetre_x);
  return texte;
}

// Waits for `pid` at most until `fin`; then kills its process group. Returns
// what went wrong, empty when it exited with status 0.
std::string Attente(pid_t pid, std::chrono::steady_clock::time_point fin) {
  using namespace std::chrono_literals;
  int etat = 0;
  std::chrono::milliseconds pause = 1ms;
  for (;;) {
    const pid_t fini = waitpid(pid, &etat, WNOHANG);
    if (fini == pid) break;
    if (fini < 0) {
      if (errno == EINTR) continue;
      // Reaped by someone else (SIGCHLD ignored by the process): its status is lost.
      return "its exit status could not be read (" + std::generic_category().message(errno) + ")";
    }
    const auto maintenant = std::chrono::steady_clock::now();
    if (maintenant >= fin) {
      kill(-pid, SIGKILL);
      while (waitpid(pid, &etat, 0) < 0 && errno == EINTR) {
      }
      return "it did not finish in time and was stopped";
    }
    std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(pause, fin - maintenant));
    pause = std::min(pause * 2, std::chrono::milliseconds(50));
  }
  if (WIFEXITED(etat)) {
    if (WEXITSTATUS(etat) == 0) return {};
    return "it exited with status " + std::to_string(WEXITSTATUS(etat));
  }
  if (WIFSIGNALED(etat)) return "it was killed by signal " + std::to_string(WTERMSIG(etat));
  return "it ended abnormally";
}

// Runs `arguments` (the program looked up on PATH), no shell; standard input
// and output on /dev/null, standard error kept; default signal mask and
// dispositions, a process group of its own. Returns what went wrong, empty
// on success.
std::string Execution(const std::vector<std::string>& arguments, std::chrono::milliseconds delai) {
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawnattr_t attributs;
  posix_spawnattr_init(&attributs);
  sigset_t masque;
  sigemptyset(&masque);
  posix_spawnattr_setsigmask(&attributs, &masque);
  // A shell script needs SIGCHLD for its own children; the others as a
  // terminal would give them.
  sigset_t par_defaut;
  sigemptyset(&par_defaut);
  for (int signal : {SIGCHLD, SIGPIPE, SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGALRM})
    sigaddset(&par_defaut, signal);
  posix_spawnattr_setsigdefault(&attributs, &par_defaut);
  posix_spawnattr_setpgroup(&attributs, 0);
  posix_spawnattr_setflags(&attributs,
                           POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);

  const auto fin = std::chrono::steady_clock::now() + delai;
  pid_t pid = 0;
  const int erreur = posix_spawnp(&pid, argv[0], &actions, &attributs, argv.data(), environ);
  posix_spawnattr_destroy(&attributs);
  posix_spawn_file_actions_destroy(&actions);
  if (erreur != 0) return "it could not be run (" + std::generic_category().message(erreur) + ")";
  return Attente(pid, fin);
}

}  // namespace

Inhibition_economiseur::Inhibition_economiseur(Economiseur_ecran& economiseur, const std::string& raison)
    : economiseur_(economiseur) {
  if (economiseur_.Inhibe()) {
    obtenue_ = true;
    return;
  }
  prise_ = economiseur_.Inhibition(raison);
  obtenue_ = prise_;
}

Inhibition_economiseur::~Inhibition_economiseur() {
  if (!prise_) return;
  // Maybe during the unwinding of an exception: nothing may escape.
  try {
    economiseur_.Fin_inhibition();
  } catch (...) {
  }
}

bool Economiseur_enregistreur::Inhibition(const std::string& raison) {
  Appels.push_back("Inhibition(" + raison + ")");
  if (!inhibe_) inhibe_ = Reussite;
  return inhibe_;
}

void Economiseur_enregistreur::Fin_inhibition() {
  Appels.push_back("Fin_inhibition()");
  inhibe_ = false;
}

Economiseur_xdg::Economiseur_xdg(uint64_t fenetre_x, Journal journal, std::chrono::milliseconds delai)
    : fenetre_x_(fenetre_x), journal_(std::move(journal)), delai_(delai) {}

Economiseur_xdg::~Economiseur_xdg() {
  try {
    Fin_inhibition();
  } catch (...) {
  }
}

bool Economiseur_xdg::Commande(const char* action, uint64_t fenetre_x) {
  const std::vector<std::string> arguments{Programme_xdg, action, Hexadecimal(fenetre_x)};
  const std::string echec = Execution(arguments, delai_);
  if (echec.empty()) return true;
  if (journal_) {
    journal_("screen saver: \"" + arguments[0] + " " + arguments[1] + " " + arguments[2] +
             "\" failed: " + echec + (std::string_view(action) == "suspend" ? "; the screen may blank" : ""));
  }
  return false;
}

bool Economiseur_xdg::Inhibition(const std::string&) {
  if (Inhibe()) return true;
  if (fenetre_x_ == 0) {
    if (journal_)
      journal_("screen saver: xdg-screensaver needs an X window and none is known; the screen may blank");
    return false;
  }
  if (!Commande("suspend", fenetre_x_)) return false;
  fenetre_inhibee_ = fenetre_x_;
  return true;
}

void Economiseur_xdg::Fin_inhibition() {
  if (!Inhibe()) return;
  const uint64_t fenetre = fenetre_inhibee_;
  fenetre_inhibee_ = 0;
  Commande("resume", fenetre);
}

bool Economiseur_absent::Inhibition(const std::string&) {
  if (!dit_ && journal_) {
    journal_(
        "screen saver: neither the desktop's screen-saver service (org.freedesktop.ScreenSaver on "
        "the session bus) nor xdg-screensaver with an X window is available; the screen may blank "
        "while the window is open");
  }
  dit_ = true;
  return false;
}

bool Programme_present(std::string_view nom) {
  auto executable = [](const std::string& chemin) {
    struct stat etat {};
    return stat(chemin.c_str(), &etat) == 0 && S_ISREG(etat.st_mode) && access(chemin.c_str(), X_OK) == 0;
  };
  if (nom.empty()) return false;
  if (nom.find('/') != std::string_view::npos) return executable(std::string(nom));
  // posix_spawnp's own search: PATH, or the system's default path when
  // unset; an empty entry is the working directory.
  const char* variable = std::getenv("PATH");
  const std::string chemins = variable ? variable : "/bin:/usr/bin";
  size_t debut = 0;
  for (;;) {
    const size_t fin = chemins.find(':', debut);
    std::string repertoire =
        chemins.substr(debut, fin == std::string::npos ? std::string::npos : fin - debut);
    if (repertoire.empty()) repertoire = ".";
    if (executable(repertoire + "/" + std::string(nom))) return true;
    if (fin == std::string::npos) return false;
    debut = fin + 1;
  }
}

}  // namespace talven
