// Runs the talven-modem program as a user would, for the command-line tests:
// arguments and standard input in, exit status and both outputs back.
// Standard input and output can be pipes, fed or drained by child processes
// (no thread in the test program), as `cat x | talven-modem ... | cat > y`
// would.
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
  Tube,           // a pipe read to its end, into Execution::sortie
};

// Where the program's standard input comes from.
enum class Entree_modem {
  Fichier,  // a file holding `entree`
  Tube,     // a pipe fed with `entree`, closed after it
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

// A child process that writes `contenu` to the descriptor `vers`, or to the
// path `chemin_vers` opened for writing when `vers` is -1 (a named pipe:
// the child waits for its reader), then exits; the descriptors `a_fermer`
// are closed first, so that the child holds no end of a pipe but its own
// (the ends it holds would keep the others from seeing theirs end). A
// reader that has gone ends the child. The child makes only
// async-signal-safe calls.
inline pid_t Enfant_ecrivain(const std::string& contenu, int vers, const std::string& chemin_vers,
                             const std::vector<int>& a_fermer = {}) {
  const char* donnees = contenu.data();
  const size_t taille = contenu.size();
  const char* chemin = chemin_vers.c_str();
  const pid_t pid = ::fork();
  if (pid != 0) return pid;
  for (int d : a_fermer)
    if (d >= 0 && d != vers) ::close(d);
  ::signal(SIGPIPE, SIG_DFL);
  const int d = vers >= 0 ? vers : ::open(chemin, O_WRONLY);
  for (size_t fait = 0; d >= 0 && fait < taille;) {
    const ssize_t n = ::write(d, donnees + fait, taille - fait);
    if (n <= 0) break;
    fait += static_cast<size_t>(n);
  }
  ::_exit(0);
}

// A child process that copies the descriptor `de`, or the path `chemin_de`
// opened for reading when `de` is -1, to the file `chemin_vers` to its end,
// then exits; `a_fermer` as above.
inline pid_t Enfant_copiste(int de, const std::string& chemin_de, const std::string& chemin_vers,
                            const std::vector<int>& a_fermer = {}) {
  const char* source = chemin_de.c_str();
  const char* cible = chemin_vers.c_str();
  const pid_t pid = ::fork();
  if (pid != 0) return pid;
  for (int d : a_fermer)
    if (d >= 0 && d != de) ::close(d);
  const int d = de >= 0 ? de : ::open(source, O_RDONLY);
  const int f = ::open(cible, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  char tampon[65536];
  for (ssize_t n; d >= 0 && f >= 0 && (n = ::read(d, tampon, sizeof tampon)) > 0;)
    if (::write(f, tampon, static_cast<size_t>(n)) != n) break;
  ::_exit(0);
}

// Ends a child still running and reaps it.
inline void Fin_enfant(pid_t& pid, bool tuer) {
  if (pid <= 0) return;
  if (tuer) ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
  pid = -1;
}

}  // namespace detail

// A named pipe `chemin` fed with `contenu` by a child process, as a program
// writing into it would: the child waits for a reader, writes, and exits. A
// child still waiting when this ends (the program never opened the pipe) is
// ended.
class Ecrivain_fifo {
 public:
  Ecrivain_fifo(const std::string& chemin, const std::string& contenu)
      : pid_(detail::Enfant_ecrivain(contenu, -1, chemin)) {}
  ~Ecrivain_fifo() { detail::Fin_enfant(pid_, true); }
  Ecrivain_fifo(const Ecrivain_fifo&) = delete;
  Ecrivain_fifo& operator=(const Ecrivain_fifo&) = delete;

 private:
  pid_t pid_;
};

// The named pipe `chemin` read to its end by a child process into the file
// `copie`, as a program reading it would.
class Lecteur_fifo {
 public:
  Lecteur_fifo(const std::string& chemin, std::string copie)
      : copie_(std::move(copie)), pid_(detail::Enfant_copiste(-1, chemin, copie_)) {}
  ~Lecteur_fifo() { detail::Fin_enfant(pid_, true); }
  Lecteur_fifo(const Lecteur_fifo&) = delete;
  Lecteur_fifo& operator=(const Lecteur_fifo&) = delete;
  // Waits for the end of the pipe; what was read.
  std::string Lu() {
    detail::Fin_enfant(pid_, false);
    return detail::Contenu(copie_);
  }

 private:
  std::string copie_;
  pid_t pid_;
};

inline std::string Dossier_temporaire(const std::string& nom) {
  auto d = std::filesystem::temp_directory_path() / ("talven-cli-" + std::to_string(getpid()) + "-" + nom);
  std::filesystem::remove_all(d);
  std::filesystem::create_directories(d);
  return d.string();
}

// talven-modem running in the background: started by the constructor, with
// `entree` on its standard input (a file or a pipe, as `mode_entree` says),
// in `dossier` (empty: the current directory), its standard output as
// `sortie` says, and the environment of this process. SIGPIPE has its
// default action in the program, whatever this process does with it.
class ProcessusModem {
 public:
  explicit ProcessusModem(const std::vector<std::string>& arguments, const std::string& entree = {},
                          const std::string& dossier = {}, Sortie_modem sortie = Sortie_modem::Fichier,
                          Entree_modem mode_entree = Entree_modem::Fichier)
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
    int amont[2] = {-1, -1};
    if (mode_entree == Entree_modem::Tube) {
      if (::pipe2(amont, O_CLOEXEC) != 0) throw std::runtime_error("pipe2");
      posix_spawn_file_actions_adddup2(&actions, amont[0], 0);
    } else {
      posix_spawn_file_actions_addopen(&actions, 0, (dossier_ / "in").c_str(), O_RDONLY, 0);
    }
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
        tube[0] = -1;
        posix_spawn_file_actions_adddup2(&actions, tube[1], 1);
        break;
      case Sortie_modem::Pleine:
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/full", O_WRONLY, 0);
        break;
      case Sortie_modem::Tube:
        if (::pipe2(tube, O_CLOEXEC) != 0) throw std::runtime_error("pipe2");
        posix_spawn_file_actions_adddup2(&actions, tube[1], 1);
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
    // The feeder and the reader of the pipes, each holding its end alone.
    const std::vector<int> bouts{amont[0], amont[1], tube[0], tube[1]};
    if (r == 0 && amont[1] >= 0) ecrivain_ = detail::Enfant_ecrivain(entree, amont[1], {}, bouts);
    if (r == 0 && sortie == Sortie_modem::Tube)
      lecteur_ = detail::Enfant_copiste(tube[0], {}, (dossier_ / "out").string(), bouts);
    for (int d : bouts)
      if (d >= 0) ::close(d);
    if (r != 0) throw std::runtime_error("cannot run " + programme);
  }
  ~ProcessusModem() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    detail::Fin_enfant(ecrivain_, true);
    detail::Fin_enfant(lecteur_, true);
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
    // The reader ends with the program's output; a feeder still writing
    // into a pipe nobody reads any more is ended.
    detail::Fin_enfant(lecteur_, false);
    detail::Fin_enfant(ecrivain_, true);
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
  pid_t ecrivain_ = -1;  // feeding standard input
  pid_t lecteur_ = -1;   // reading standard output
};

inline Execution Lancer_modem(const std::vector<std::string>& arguments, const std::string& entree = {},
                              const std::string& dossier = {}, Sortie_modem sortie = Sortie_modem::Fichier,
                              Entree_modem mode_entree = Entree_modem::Fichier) {
  return ProcessusModem(arguments, entree, dossier, sortie, mode_entree).Attendre();
}

}  // namespace talven::test
