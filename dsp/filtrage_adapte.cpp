#include "dsp/filtrage_adapte.h"

#include <stdexcept>

#include "common/arrondi.h"

namespace talven {

FiltrageAdapte::FiltrageAdapte() {
  Init_filtrage_adapte(10, 11025);
}

void FiltrageAdapte::Init_filtrage_adapte(int32_t r, int32_t fs) {
  if (r <= 0 || fs <= 0)
    throw std::invalid_argument("Init_filtrage_adapte: symbol rate and sample rate must be positive");
  const int64_t N = Arrondi(static_cast<Etendu>(fs) / static_cast<Etendu>(r));
  if (N < 1 || N > Capacite)
    throw std::invalid_argument("Init_filtrage_adapte: one symbol must last 1..1200 samples");

  r_ = r;
  fs_entier_ = fs;
  fs_ = static_cast<double>(fs);
  N_ = static_cast<int32_t>(N);
  ligne_.fill(0.0);
  k_ = static_cast<uint16_t>(N_);
  S_ = 0.0;
}

double FiltrageAdapte::Filtrage_adapte(double x) {
  const double ancien = ligne_[k_];
  S_ = static_cast<double>(static_cast<Etendu>(x) + (static_cast<Etendu>(S_) - static_cast<Etendu>(ancien)));
  ligne_[k_] = x;
  --k_;
  if (k_ < 1) k_ = static_cast<uint16_t>(N_);
  return static_cast<double>(static_cast<Etendu>(S_) / static_cast<Etendu>(N_));
}

}  // namespace talven
