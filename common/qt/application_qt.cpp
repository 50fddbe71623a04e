#include "common/qt/application_qt.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace talven {

namespace {

bool Aide_ou_version(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    if (std::strcmp(a, "--") == 0) return false;
    for (const char* o : {"--help", "-h", "--help-all", "--version", "-v", "-?"})
      if (std::strcmp(a, o) == 0) return true;
  }
  return false;
}

bool Variable(const char* nom) {
  const char* v = std::getenv(nom);
  return v != nullptr && *v != '\0';
}

}  // namespace

std::unique_ptr<QCoreApplication> Application_qt(int& argc, char** argv, const char* programme) {
  if (Aide_ou_version(argc, argv)) return std::make_unique<QCoreApplication>(argc, argv);
  if (!Variable("DISPLAY") && !Variable("WAYLAND_DISPLAY") && !Variable("QT_QPA_PLATFORM")) {
    std::fprintf(stderr,
                 "%s: no display to open its windows on (DISPLAY and WAYLAND_DISPLAY are not set).\n"
                 "Start it from a desktop session; on a terminal, talven-modem sends and receives without "
                 "windows.\n",
                 programme);
    return nullptr;
  }
  auto application = std::make_unique<QApplication>(argc, argv);
  QApplication::setStyle(QStringLiteral("Fusion"));
  return application;
}

}  // namespace talven
