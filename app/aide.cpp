#include "app/aide.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace talven {

namespace fs = std::filesystem;

namespace {

// The source tree's help folder, from the build's compile definition.
std::string Dossier_sources_compile() {
#ifdef TALVEN_SOURCE_DIR
  return (fs::path(TALVEN_SOURCE_DIR) / "docs" / "help").string();
#else
  return {};
#endif
}

// `p` made absolute from the working directory and cleaned of "." and "..".
fs::path Absolu(const fs::path& p) {
  std::error_code erreur;
  fs::path a = fs::absolute(p, erreur);
  if (erreur) a = p;
  return a.lexically_normal();
}

}  // namespace

std::string Nom_document_aide(const Langue& langue) {
  return langue.Anglais() ? "HELP_PSK.html" : "AIDE_PSK.html";
}

std::vector<std::string> Dossiers_aide(const std::string& executable, const std::string& dossier_sources) {
  std::vector<std::string> dossiers;
  if (const char* env = std::getenv("TALVEN_HELP_DIR"); env != nullptr && *env != '\0') {
    dossiers.emplace_back(env);
  }
  const fs::path programme(executable);
  if (programme.has_parent_path()) {
    // The program itself, not a link to it: the share folder lies beside
    // the folder the program was installed in.
    std::error_code erreur;
    fs::path reel = fs::weakly_canonical(programme, erreur);
    if (erreur) reel = Absolu(programme);
    dossiers.push_back((reel.parent_path() / ".." / "share" / "talven" / "help").lexically_normal().string());
  }
  if (!dossier_sources.empty()) dossiers.push_back(dossier_sources);
  return dossiers;
}

std::optional<std::string> Chemin_aide(const Langue& langue, const std::string& executable) {
  return Chemin_aide(langue, executable, Dossier_sources_compile());
}

std::optional<std::string> Chemin_aide(const Langue& langue, const std::string& executable,
                                       const std::string& dossier_sources) {
  const std::string nom = Nom_document_aide(langue);
  for (const std::string& dossier : Dossiers_aide(executable, dossier_sources)) {
    const fs::path document = Absolu(fs::path(dossier) / nom);
    std::error_code erreur;
    if (fs::is_regular_file(document, erreur)) return document.string();
  }
  return std::nullopt;
}

}  // namespace talven
