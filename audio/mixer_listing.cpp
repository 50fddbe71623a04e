#include "audio/mixer_listing.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <string>

namespace talven {

namespace {

std::string_view Sans_blancs(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

bool Commence(std::string_view s, std::string_view debut) {
  return s.substr(0, debut.size()) == debut;
}

std::vector<std::string_view> Mots(std::string_view s) {
  std::vector<std::string_view> mots;
  while (true) {
    s = Sans_blancs(s);
    if (s.empty()) return mots;
    const size_t fin = std::min(s.find(' '), s.find('\t'));
    mots.push_back(s.substr(0, fin));
    if (fin == std::string_view::npos) return mots;
    s.remove_prefix(fin);
  }
}

bool Entier(std::string_view mot, long& valeur) {
  const auto [fin, erreur] = std::from_chars(mot.data(), mot.data() + mot.size(), valeur);
  return erreur == std::errc() && fin == mot.data() + mot.size();
}

// The texts between single quotes: "'Mic' 'Front Mic' 'Line'".
std::vector<std::string> Citations(std::string_view s) {
  std::vector<std::string> textes;
  while (true) {
    const size_t debut = s.find('\'');
    if (debut == std::string_view::npos) return textes;
    const size_t fin = s.find('\'', debut + 1);
    if (fin == std::string_view::npos) return textes;
    textes.emplace_back(s.substr(debut + 1, fin - debut - 1));
    s.remove_prefix(fin + 1);
  }
}

// Direction 0 playback, 1 capture.
long& Minimum(Element_simple& e, int d) {
  return d == 0 ? e.Minimum_lecture : e.Minimum_capture;
}
long& Maximum(Element_simple& e, int d) {
  return d == 0 ? e.Maximum_lecture : e.Maximum_capture;
}

}  // namespace

Elements_listing::Elements_listing(std::string_view listing) {
  bool capture_seule = false;  // "cenum": the element chooses among capture sources
  auto fin_element = [&] {
    if (!elements_.empty())
      elements_.back().Enumeration_capture = capture_seule && !elements_.back().Items.empty();
    capture_seule = false;
  };
  while (!listing.empty()) {
    const size_t fin = listing.find('\n');
    const std::string_view ligne = Sans_blancs(listing.substr(0, fin));
    listing.remove_prefix(fin == std::string_view::npos ? listing.size() : fin + 1);
    if (ligne.empty() || ligne.front() == '#') continue;

    if (Commence(ligne, "Simple mixer control '")) {
      const std::string_view reste = ligne.substr(22);
      const size_t guillemet = reste.rfind("',");
      if (guillemet == std::string_view::npos) continue;
      fin_element();
      Element_simple e;
      e.Nom = std::string(reste.substr(0, guillemet));
      long indice = 0;
      if (Entier(Sans_blancs(reste.substr(guillemet + 2)), indice) && indice >= 0)
        e.Indice = static_cast<uint32_t>(indice);
      elements_.push_back(std::move(e));
      valeurs_.emplace_back();
      continue;
    }
    if (elements_.empty()) continue;
    Element_simple& e = elements_.back();
    Valeurs& v = valeurs_.back();

    if (Commence(ligne, "Capabilities:")) {
      for (std::string_view mot : Mots(ligne.substr(13))) {
        if (mot == "pvolume") e.Volume_lecture = true;
        if (mot == "cvolume") e.Volume_capture = true;
        if (mot == "volume") e.Volume_lecture = e.Volume_capture = e.Volume_commun = true;
        if (mot == "pswitch") e.Commutateur_lecture = true;
        if (mot == "cswitch") e.Commutateur_capture = true;
        if (mot == "switch") e.Commutateur_lecture = e.Commutateur_capture = true;
        if (mot == "cswitch-exclusive") e.Capture_exclusive = true;
        if (mot == "cenum") capture_seule = true;
      }
    } else if (Commence(ligne, "Playback channels:")) {
      e.Lecture_mono = Sans_blancs(ligne.substr(18)) == "Mono";
    } else if (Commence(ligne, "Capture channels:")) {
      e.Capture_mono = Sans_blancs(ligne.substr(17)) == "Mono";
    } else if (Commence(ligne, "Limits:")) {
      // "Playback 0 - 87 Capture 0 - 31", "Capture 0 - 46" or, for a
      // volume shared by both directions, "0 - 3".
      const std::vector<std::string_view> mots = Mots(ligne.substr(7));
      int direction = -1;
      for (size_t k = 0; k < mots.size(); ++k) {
        long a = 0, b = 0;
        if (mots[k] == "Playback") direction = 0;
        if (mots[k] == "Capture") direction = 1;
        if (k + 2 < mots.size() && Entier(mots[k], a) && mots[k + 1] == "-" && Entier(mots[k + 2], b)) {
          for (int d = 0; d < 2; ++d) {
            if (direction >= 0 && d != direction) continue;
            Minimum(e, d) = std::min(a, b);
            Maximum(e, d) = std::max(a, b);
          }
          k += 2;
        }
      }
    } else if (Commence(ligne, "Items:")) {
      e.Items = Citations(ligne.substr(6));
    } else if (Commence(ligne, "Item0:")) {
      const std::vector<std::string> choix = Citations(ligne.substr(6));
      if (!choix.empty()) {
        auto it = std::find(e.Items.begin(), e.Items.end(), choix.front());
        if (it != e.Items.end()) v.item = static_cast<unsigned>(it - e.Items.begin());
      }
    } else if (const size_t deux_points = ligne.find(':'); deux_points != std::string_view::npos) {
      // A channel's values: "Front Left: Playback 51 [80%] [-13.00dB] [on]",
      // "Mono: Playback 0 [0%] [off] Capture 16 [100%] [on]", "Mono: 0 [0%]".
      const std::string_view canal = ligne.substr(0, deux_points);
      int c = -1;
      if (canal == "Mono" || canal == "Front Left") c = 0;
      if (canal == "Front Right") c = 1;
      if (c < 0) continue;
      int direction = -1;
      for (std::string_view mot : Mots(ligne.substr(deux_points + 1))) {
        long nombre = 0;
        if (mot == "Playback") direction = 0;
        if (mot == "Capture") direction = 1;
        for (int d = 0; d < 2; ++d) {
          if (direction >= 0 && d != direction) continue;
          // A mono element's value holds for both channels; a Front Right
          // line comes after and overrides its own.
          for (int k = c; k < (canal == "Mono" ? 2 : c + 1); ++k) {
            if (Entier(mot, nombre)) v.volume[d][k] = nombre;
            if (mot == "[on]" || mot == "[off]") v.commutateur[d][k] = mot == "[on]";
          }
        }
      }
    }
  }
  fin_element();
  // Values read are kept within the limits, as a card keeps them.
  for (size_t k = 0; k < elements_.size(); ++k)
    for (int d = 0; d < 2; ++d)
      for (long& volume : valeurs_[k].volume[d])
        volume = std::clamp(volume, Minimum(elements_[k], d), Maximum(elements_[k], d));
}

int Elements_listing::Volume(size_t e, bool lecture, int canal, long& valeur) {
  if (!Valide(e) || canal < 0 || canal > 1) return -EINVAL;
  const Element_simple& el = elements_[e];
  if (!(lecture ? el.Volume_lecture : el.Volume_capture)) return -EINVAL;
  const bool mono = lecture ? el.Lecture_mono : el.Capture_mono;
  valeur = valeurs_[e].volume[lecture ? 0 : 1][mono ? 0 : canal];
  return 0;
}

int Elements_listing::Ecriture_volume(size_t e, bool lecture, int canal, long valeur) {
  if (!Valide(e) || canal < -1 || canal > 1) return -EINVAL;
  Element_simple& el = elements_[e];
  if (!(lecture ? el.Volume_lecture : el.Volume_capture)) return -EINVAL;
  const int d = lecture ? 0 : 1;
  const long v = std::clamp(valeur, Minimum(el, d), Maximum(el, d));
  const bool mono = lecture ? el.Lecture_mono : el.Capture_mono;
  // A volume shared by both directions moves in both.
  for (int dd = 0; dd < 2; ++dd) {
    if (dd != d && !el.Volume_commun) continue;
    for (int k = 0; k < 2; ++k)
      if (canal < 0 || mono || k == canal) valeurs_[e].volume[dd][k] = v;
  }
  ++Ecritures;
  return 0;
}

int Elements_listing::Commutateur(size_t e, bool lecture, bool& actif) {
  if (!Valide(e)) return -EINVAL;
  if (!(lecture ? elements_[e].Commutateur_lecture : elements_[e].Commutateur_capture)) return -EINVAL;
  actif = valeurs_[e].commutateur[lecture ? 0 : 1][0];
  return 0;
}

int Elements_listing::Ecriture_commutateur(size_t e, bool lecture, bool actif) {
  if (!Valide(e)) return -EINVAL;
  if (!(lecture ? elements_[e].Commutateur_lecture : elements_[e].Commutateur_capture)) return -EINVAL;
  valeurs_[e].commutateur[lecture ? 0 : 1] = {actif, actif};
  ++Ecritures;
  return 0;
}

int Elements_listing::Item(size_t e, unsigned& item) {
  if (!Valide(e) || elements_[e].Items.empty()) return -EINVAL;
  item = valeurs_[e].item;
  return 0;
}

int Elements_listing::Ecriture_item(size_t e, unsigned item) {
  if (!Valide(e) || item >= elements_[e].Items.size()) return -EINVAL;
  valeurs_[e].item = item;
  ++Ecritures;
  return 0;
}

}  // namespace talven
