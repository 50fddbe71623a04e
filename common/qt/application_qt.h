// The Qt application object of a windowed program, chosen from its command
// line and its environment.
//
// Responsibilities: --help and --version (and -h, -v, --help-all) answer on
// a terminal without a display, through a QCoreApplication; any other
// command line gets a QApplication in the Fusion style (the windows' fixed
// layouts are measured in it) once it is known that there is a display to
// open: without DISPLAY, WAYLAND_DISPLAY or a chosen QT_QPA_PLATFORM, a
// message on standard error instead of Qt's abort.
// Collaborations: the programs' main functions, which parse their options
// with QCommandLineParser on the object returned.
#pragma once

#include <QCoreApplication>
#include <memory>

namespace talven {

// `argc` must stay alive as long as the object (Qt keeps a reference).
// Null, after the message, when there is no display: exit with status 1.
std::unique_ptr<QCoreApplication> Application_qt(int& argc, char** argv, const char* programme);

}  // namespace talven
