#include "audio/messages_alsa.h"

#include <alsa/asoundlib.h>

#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace talven {
namespace {

std::mutex verrou;
std::string dernier;

void Recevoir(const char* /*fichier*/, int /*ligne*/, const char* /*fonction*/, int erreur,
              const char* format, ...) {
  char texte[512];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(texte, sizeof texte, format, arguments);
  va_end(arguments);
  std::string message = texte;
  if (erreur != 0) message += std::string(": ") + snd_strerror(erreur);
  std::lock_guard v(verrou);
  dernier = std::move(message);
}

}  // namespace

void Capter_messages_alsa() {
  static std::once_flag fait;
  std::call_once(fait, [] { snd_lib_error_set_handler(&Recevoir); });
}

std::string Dernier_message_alsa() {
  std::lock_guard v(verrou);
  return dernier;
}

}  // namespace talven
