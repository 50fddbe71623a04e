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
  std::string sortie;   // standard output
  std::string erreurs;  // standard error
};

// Dossier_temporaire(nom): a fresh empty directory under the system's
// temporary directory, named after `nom` and this process.
// Lancer_modem(arguments, entree, dossier): runs talven-modem to its end.

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
// directory), and the environment of this process.
class ProcessusModem {
 public:
  explicit ProcessusModem(const std::vector<std::string>& arguments, const std::string& entree = {},
                          const std::string& dossier = {})
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
    posix_spawn_file_actions_addopen(&actions, 1, (dossier_ / "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, (dossier_ / "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    if (!dossier.empty()) posix_spawn_file_actions_addchdir_np(&actions, dossier.c_str());
    int r = posix_spawn(&pid_, programme.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
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
                              const std::string& dossier = {}) {
  return ProcessusModem(arguments, entree, dossier).Attendre();
}

}  // namespace talven::test
