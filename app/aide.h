// Where the operator's guide is: the help document of the interface's
// language, for the menu item Help / Aide.
//
// Responsibilities: name the document of a language (HELP_PSK.html in
// English, AIDE_PSK.html in French) and find it in the folders it can be
// in, first found wins:
//   1. $TALVEN_HELP_DIR, when set and not empty (a guide being written, a
//      translation tried out);
//   2. <folder of the program>/../share/talven/help, where `cmake --install`
//      puts it (bin/talven beside share/talven/help);
//   3. docs/help of the source tree the program was built from, so that a
//      program run from its build folder finds the guide without an install.
// A folder that lacks the document is passed over: an incomplete
// $TALVEN_HELP_DIR does not hide the installed guide.
// Collaborations: `Langue`; the main window opens the path it returns with
// the desktop's viewer. No Qt here.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/langue.h"

namespace talven {

// "HELP_PSK.html" when `langue` is English, "AIDE_PSK.html" otherwise (the
// language flag is French until the configuration is read).
std::string Nom_document_aide(const Langue& langue);

// The folders searched, in order: $TALVEN_HELP_DIR (only when set and not
// empty), <folder of `executable`>/../share/talven/help (only when
// `executable` names a folder), then `dossier_sources` (only when not
// empty). `executable` is the program's path; a symbolic link is followed
// to the program itself, a relative path is taken from the working
// directory.
std::vector<std::string> Dossiers_aide(const std::string& executable, const std::string& dossier_sources);

// The absolute path of the help document of `langue`, as a regular file in
// the first of `Dossiers_aide` that holds it; nothing when none does.
// `executable`: the program's full path (QCoreApplication's
// applicationFilePath(), or the link /proc/self/exe); a bare name such as
// "talven", as argv[0] gives it for a program found through PATH, tells no
// folder and skips the installed location.
std::optional<std::string> Chemin_aide(const Langue& langue, const std::string& executable);

// The same with the source tree's help folder given instead of the one this
// program was built from (empty: no source tree).
std::optional<std::string> Chemin_aide(const Langue& langue, const std::string& executable,
                                       const std::string& dossier_sources);

}  // namespace talven
