// Runs the talven-modem program as a user would, for the command-line tests:
// arguments and standard input in, exit status and both outputs back.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace talven::test {

struct Execution {
  int code = -1;        // exit status, -1 when the program did not exit normally
  int signal = 0;       // the signal that ended it, 0 when it exited
  std::string sortie;   // standard output
  std::string erreurs;  // standard error
};

// Where the program's standard output goes.
enum class Sortie_modem {
  Fichier,        // a file, read back into Execution::sortie
  Fermee,         // closed, as the shell's >&- leaves it
  Tube_orphelin,  // a pipe whose reader has gone: a write gets SIGPIPE, or EPIPE
  Pleine,         // /dev/full: a write fails with ENOSPC
};

// Dossier_temporaire(nom): a fresh empty directory under the system's
// temporary directory, named after `nom` and this process.
// Lancer_modem(arguments, entree, dossier, sortie): runs talven-modem to its
// end.

namespace detail {

inline std::string Chemin_modem() {
#ifdef TALVEN_MODEM
  return TALVEN_MODEM;
#else
  // The test program is in <build>/tests, the modem in <build>/cli.
  return (std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / "cli" /
          "talven-modem")
      .string();
#endif
}

inline std::string Contenu(const std::filesystem::path& chemin) {
  std::ifstream f(chemin, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

}  // namespace detail

inline std::string Dossier_temporaire(const std::string& nom) {
  auto d = std::filesystem::temp_directory_path() / ("talven-cli-" + std::to_string(getpid()) + "-" + nom);
  std::filesystem::remove_all(d);
  std::filesystem::create_directories(d);
  return d.string();
}

// talven-modem running in the background: started by the constructor, with
// `entree` on its standard input, in `dossier` (empty: the current
// directory), its standard output as `sortie` says, and the environment of
// this process. SIGPIPE has its default action in the program, whatever this
// process does with it.
class ProcessusModem {
 public:
  explicit ProcessusModem(const std::vector<std::string>& arguments, const std::string& entree = {},
                          const std::string& dossier = {}, Sortie_modem sortie = Sortie_modem::Fichier)
      : dossier_(Dossier_temporaire("run-" + std::to_string(compteur_++))) {
    {
      std::ofstream f(dossier_ / "in", std::ios::binary);
      f << entree;
    }
    const std::string programme = detail::Chemin_modem();
    std::vector<std::string> a{programme};
    a.insert(a.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& x : a) argv.push_back(x.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, (dossier_ / "in").c_str(), O_RDONLY, 0);
    int tube[2] = {-1, -1};
    switch (sortie) {
      case Sortie_modem::Fichier:
        posix_spawn_file_actions_addopen(&actions, 1, (dossier_ / "out").c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        break;
      case Sortie_modem::Fermee:
        posix_spawn_file_actions_addclose(&actions, 1);
        break;
      case Sortie_modem::Tube_orphelin:
        // The reading end is closed before the program starts.
        if (::pipe2(tube, O_CLOEXEC) != 0) throw std::runtime_error("pipe2");
        ::close(tube[0]);
        posix_spawn_file_actions_adddup2(&actions, tube[1], 1);
        break;
      case Sortie_modem::Pleine:
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/full", O_WRONLY, 0);
        break;
    }
    posix_spawn_file_actions_addopen(&actions, 2, (dossier_ / "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    if (!dossier.empty()) posix_spawn_file_actions_addchdir_np(&actions, dossier.c_str());
    posix_spawnattr_t attributs;
    posix_spawnattr_init(&attributs);
    sigset_t defaut;
    sigemptyset(&defaut);
    sigaddset(&defaut, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributs, &defaut);
    posix_spawnattr_setflags(&attributs, POSIX_SPAWN_SETSIGDEF);
    int r = posix_spawn(&pid_, programme.c_str(), &actions, &attributs, argv.data(), environ);
    posix_spawnattr_destroy(&attributs);
    posix_spawn_file_actions_destroy(&actions);
    if (tube[1] >= 0) ::close(tube[1]);
    if (r != 0) throw std::runtime_error("cannot run " + programme);
  }
  ~ProcessusModem() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    std::filesystem::remove_all(dossier_);
  }
  ProcessusModem(const ProcessusModem&) = delete;
  ProcessusModem& operator=(const ProcessusModem&) = delete;

  // Ctrl-C.
  void Interrompre() { ::kill(pid_, SIGINT); }

  // Waits for the end; exit status and both outputs.
  Execution Attendre() {
    int etat = 0;
    ::waitpid(pid_, &etat, 0);
    pid_ = -1;
    Execution e;
    e.code = WIFEXITED(etat) ? WEXITSTATUS(etat) : -1;
    e.signal = WIFSIGNALED(etat) ? WTERMSIG(etat) : 0;
    e.sortie = detail::Contenu(dossier_ / "out");
    e.erreurs = detail::Contenu(dossier_ / "err");
    return e;
  }

 private:
  static inline int compteur_ = 0;
  std::filesystem::path dossier_;
  pid_t pid_ = -1;
};

inline Execution Lancer_modem(const std::vector<std::string>& arguments, const std::string& entree = {},
                              const std::string& dossier = {}, Sortie_modem sortie = Sortie_modem::Fichier) {
  return ProcessusModem(arguments, entree, dossier, sortie).Attendre();
}

}  // namespace talven::test
