#ifndef KESTRO_FIRMWARE_BUSES_H
#define KESTRO_FIRMWARE_BUSES_H
/* The bus drivers behind chip.h, one per kind of bus, each doing what chip.h says of
 * its calls. begin takes the packet's serial parameter bytes (A, B, C, D: packet
 * bytes 12..15) and its command byte; a call is null where the parts have no such
 * thing (erase-all, signature, fuses, lock bits). */

#include "parts.h"

#include <stdint.h>

struct bus_driver {
    uint8_t (*begin)(const struct fw_part* part, const uint8_t* abcd, uint8_t command);
    uint8_t (*read)(uint16_t at, uint8_t* buf, uint8_t n);
    uint8_t (*write)(uint16_t at, const uint8_t* buf, uint8_t n);
    uint8_t (*erase)(void);
    uint8_t (*signature)(uint8_t* sig);
    uint8_t (*read_fuses)(uint8_t* fuses);
    uint8_t (*write_fuses)(const uint8_t* fuses);
    uint8_t (*lock)(uint8_t mode);
};

extern const struct bus_driver microwire_driver; /* 93Cxx, 59Cxx */
extern const struct bus_driver i2c_driver;       /* 24Cxx, PCF8582 */
extern const struct bus_driver spi_driver;       /* 25Cxx */
extern const struct bus_driver isp_driver;       /* AVR and AT89S in-system programming */

#endif
