// Receiver of the writes to the modem control register of a serial port.
//
// The port space hands every write to one of the four modem-control-register
// addresses (0x3FC for COM 1, 0x2FC for COM 2, 0x3EC for COM 3, 0x2EC for
// COM 4) to the serial keying layer, which turns bit 0 (DTR) and bit 1 (RTS)
// into the line controls of the opened port: 0x0B keys the transmitter, 0x08
// releases it.
#pragma once

#include <cstdint>

namespace talven {

class Registre_controle_modem {
 public:
  virtual ~Registre_controle_modem() = default;
  // One write of `valeur` (a register byte) to the register at I/O address
  // `adresse` (one of 0x3FC, 0x2FC, 0x3EC, 0x2EC).
  virtual void Ecriture_mcr(uint16_t adresse, uint8_t valeur) = 0;
};

}  // namespace talven
