// An environment variable set (or unset, for nullopt) for the time of a
// test, then put back as it was.
#pragma once

#include <stdlib.h>

#include <optional>
#include <string>

namespace talven::test {

class Variable_environnement {
 public:
  Variable_environnement(const char* nom, const std::optional<std::string>& valeur) : nom_(nom) {
    if (const char* v = ::getenv(nom)) ancienne_ = v;
    Poser(valeur);
  }
  ~Variable_environnement() { Poser(ancienne_); }
  Variable_environnement(const Variable_environnement&) = delete;
  Variable_environnement& operator=(const Variable_environnement&) = delete;

 private:
  void Poser(const std::optional<std::string>& valeur) {
    if (valeur) {
      ::setenv(nom_, valeur->c_str(), 1);
    } else {
      ::unsetenv(nom_);
    }
  }

  const char* nom_;
  std::optional<std::string> ancienne_;
};

}  // namespace talven::test
