// FOURIER_ENTIER: integer FFT spectrum analyser.
//
// Once per received buffer the spectrum display fills `Entree_fft` with a
// block of 2048 samples resampled to 6144 samples per second (so one bin is
// 3 Hz wide) and calls `Fourier_entier`, `Module_spectre` and
// `Moyenne_spectres` in that order, then reads `Spectre`. The transform is a
// radix-2 decimation in time in integers, with 200-scaled cosine and sine
// tables indexed by the twiddle angle in hundredths of a degree; only the
// displayable bins `Premier_canal`..`Dernier_canal` (30 Hz to 2370 Hz) are
// scaled, turned into magnitudes and summed over the 9 latest buffers.
//
// Arithmetic width: the working arrays and the butterfly products are 64-bit.
// They give exactly the 32-bit results wherever 32 bits do not overflow, and
// stay correct where a coherent full-scale tone or a full-scale DC block would
// overflow 32 bits in the last stages (a bin approaches 2048 x 20000 before
// the division by N, and the products carry a further factor 200).
//
// On processors with AVX2, a block whose samples stay within +-2^20 (ordinary
// audio stays within +-20000) is transformed four butterflies at a time in
// doubles. Every value is then an integer below 2^43, held exactly, and the
// truncated quotient by 200 of the correctly rounded double quotient is the
// integer one (the rounding error, below 2^-8, cannot cross an integer, which
// the true quotient misses by at least 1/200 unless it is one): the results
// are the 64-bit ones, value for value.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace talven {

class FourierEntier {
 public:
  // Largest block the arrays hold, in samples.
  static constexpr int32_t Taille_max = 2048;
  // Number of bins of `Spectre` and of each stored spectrum (bins 1..1024).
  static constexpr int32_t Nombre_canaux = 1024;
  // Entries of the cosine and sine tables: angles 0..36000 hundredths of a degree.
  static constexpr int32_t Taille_tables = 36001;
  // Scale of the cosine and sine tables (an entry of 200 stands for 1).
  static constexpr int32_t Echelle_tables = 200;
  // Number of spectra summed by `Moyenne_spectres`.
  static constexpr int32_t Nombre_spectres = 9;
  // First and last bin scaled, measured and summed (30 Hz and 2370 Hz).
  static constexpr int32_t Premier_canal = 10;
  static constexpr int32_t Dernier_canal = 790;

  // Builds the tables for the default block size of 2048.
  FourierEntier();

  // Block size N in samples: a power of two from 2 to 2048; the start of
  // reception writes 2048 before `Init_fourier_entier`, which checks it.
  uint16_t Taille_fft = Taille_max;

  // Input block X[0..N-1], written by the spectrum display before each
  // `Fourier_entier`; ordinary values -20000..20000 (any 32-bit value is safe).
  std::array<int32_t, Taille_max> Entree_fft{};

  // Working arrays Re[0..N-1] and Im[0..N-1]: the transform of `Entree_fft`
  // after `Fourier_entier`, bins `Premier_canal`..`Dernier_canal` divided by N.
  std::array<int64_t, Taille_max + 1> Re{};
  std::array<int64_t, Taille_max> Im{};

  // Magnitudes per bin, index 1..1024 (index 0 is bin 0, never written).
  // After `Module_spectre`: the magnitude of the latest block; after
  // `Moyenne_spectres`: the sum of the 9 latest magnitudes. Only bins
  // `Premier_canal`..`Dernier_canal` are ever written; the others read 0.
  std::array<int32_t, Nombre_canaux + 1> Spectre{};

  // Clears the arrays and the history of spectra, builds the bit-reversal
  // table for `Taille_fft`. Throws
  // std::invalid_argument when `Taille_fft` is not a power of two from 2 to
  // 2048 (the object is then left unchanged).
  void Init_fourier_entier();

  // Transforms `Entree_fft` into `Re` and `Im` (forward transform, twiddle
  // e^(-j theta)); bins `Premier_canal`..`Dernier_canal` are then divided by
  // N, truncating toward zero.
  void Fourier_entier();

  // Writes Round(sqrt(Re^2 + Im^2)) (half to even) of the displayable bins
  // into `Spectre`.
  void Module_spectre();

  // Pushes the fresh `Spectre` into the history and replaces the displayable
  // bins of `Spectre` by the sum of the 9 latest spectra (partial sums during
  // the first 8 calls after `Init_fourier_entier`).
  void Moyenne_spectres();

 private:
  using SpectreCanaux = std::array<int32_t, Nombre_canaux + 1>;

  // Largest |sample| the double-precision form accepts: over 11 stages a
  // value grows at most 2.42 times per stage, so the products stay below 2^43.
  static constexpr int32_t Amplitude_max_doubles = 1 << 20;

  // The radix-2 stages in 64-bit integers on `Re` and `Im`, already in
  // bit-reversed order.
  void Etages_entiers();

  // Block size and log2 of it, as checked by the last set-up.
  int32_t taille = Taille_max;
  int32_t n = 11;
  // Last displayable bin that exists for the current block size.
  int32_t dernier = Dernier_canal;
  // Bit-reversal table: entry i is i with its n bits reversed.
  std::array<uint16_t, Taille_max> inversion{};
  // Round(200 cos a) and Round(200 sin a), a in hundredths of a degree:
  // constants, built once per process and shared by every analyser.
  struct Tables {
    std::vector<int32_t> cosinus;
    std::vector<int32_t> sinus;
  };
  static const Tables& Tables_partagees();
  const Tables* tables_;
  // The 9 latest spectra, as a ring; `plus_recent` is the slot of the newest.
  std::vector<SpectreCanaux> historique;
  int32_t plus_recent = Nombre_spectres - 1;
  // Twiddles of the double-precision form, stage by stage: stage s (span
  // H = 2^(s-1)) reads entries H..2H-1, the table values of its angles.
  alignas(32) std::array<double, Taille_max> twiddle_cos_{};
  alignas(32) std::array<double, Taille_max> twiddle_sin_{};
  // Working arrays of the double-precision form.
  alignas(32) std::array<double, Taille_max> re_{};
  alignas(32) std::array<double, Taille_max> im_{};
  // Per bin, the sum of the spectra in the ring (exact: integers).
  std::array<int64_t, Nombre_canaux + 1> somme_historique{};
};

}  // namespace talven
