// Settings files of the user's configuration directory (talven.conf,
// ports.conf): lines of KEY=value, read and rewritten in place.
//
// Responsibilities: hand each setting of a file's content to its reader
// (blank lines, lines starting with '#' and lines without '=' skipped,
// spaces around the key and the value trimmed); set keys in a content,
// keeping every other line, comment and line ending as it was; write a file
// whole or not at all (a temporary file in the same directory, then renamed
// over it, with the old file's permissions, or the user's alone for a new
// one).
// Collaborations: `Reglages_utilisateur` (talven.conf) and
// `Correspondance_ports` with the main window's mapping (ports.conf) read
// and write their keys through it.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace talven {

// `s` without the spaces, tabs and carriage returns around it.
std::string_view Sans_espaces(std::string_view s);

// Calls `reglage(numero, cle, valeur)` for each setting line of `contenu`,
// `numero` counting the lines from 1.
void Lecture_reglages(
    std::string_view contenu,
    const std::function<void(int numero, std::string_view cle, std::string_view valeur)>& reglage);

using Valeurs_reglages = std::vector<std::pair<std::string, std::string>>;

// `contenu` with each key of `valeurs` set: its first line gets the new
// value (keeping its indentation and line ending), its later lines go (the
// last one would win when read), a key not yet there is added at the end;
// an empty value removes the key's lines.
std::string Reecriture_reglages(std::string_view contenu, const Valeurs_reglages& valeurs);

struct Echec_ecriture {
  std::string chemin;  // what could not be made or written: the file or its directory
  std::string raison;
};

// Rewrites the file `chemin` (created, with its directory, when missing)
// with `valeurs`; the reason when it could not be written (the old file is
// then unchanged) or a value holds a line break.
std::optional<Echec_ecriture> Ecriture_reglages(const std::string& chemin, const Valeurs_reglages& valeurs);

}  // namespace talven
