#include "audio/mixer_alsa.h"

#include <gtest/gtest.h>

#include "audio/fonctions_mixer.h"

namespace talven {
namespace {

// This machine has no sound hardware: a card that does not exist must give
// "no mixer" through the result flags, without a crash or a write.
TEST(MixerAlsa, MissingCardGivesNoMixer) {
  MixerAlsa alsa("hw:31");
  EXPECT_EQ(alsa.Nombre_mixers(), 0u);
  EXPECT_NE(alsa.Erreur_ouverture(), 0);
  Ligne_mixer ligne;
  EXPECT_NE(alsa.Ligne_par_type(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, ligne), MMSYSERR_NOERROR);
  EXPECT_NE(alsa.Ecriture(1, 1, 0, {0}), MMSYSERR_NOERROR);

  FonctionsMixer f(&alsa);
  f.Mixer_present = true;
  f.Reglage_mixer();
  EXPECT_FALSE(f.Mixer_present);
  f.Restauration_mixer();
}

}  // namespace
}  // namespace talven
