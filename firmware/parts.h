#ifndef KESTRO_FIRMWARE_PARTS_H
#define KESTRO_FIRMWARE_PARTS_H
/* The parts of the served families: how each one sits on the board's buses. */

#include <stdint.h>

enum fw_bus {
    BUS_NONE,      /* of a served family, but the board cannot program it */
    BUS_MICROWIRE, /* 93Cxx, 59Cxx: the instructions come in the packet */
    BUS_I2C,       /* 24Cxx, PCF8582 */
    BUS_SPI        /* 25Cxx: the instructions come in the packet */
};

enum {
    PART_WORDS = 1, /* 16-bit organisation: addressed in words, ORG high */
    PART_ADDR2 = 2, /* two address bytes (else one; higher bits go in the device
                       address (I2C) or the instruction (SPI)) */
    PART_CASCADE = 4, /* I2C device address 1 A2 A1 A0 B2 B1 B0 R/W instead of
                         1010 B2 B1 B0 R/W: the cascadable 24C164 */
    PART_NO_STATUS = 8, /* three-wire part that tells busy on a pin of its own, which
                           the board does not wire (59Cxx) */
    PART_SLOW = 16      /* I2C at 100 kHz (else 400 kHz) */
};

struct fw_part {
    uint8_t device; /* the program's device index */
    uint8_t family; /* the family code it must come with */
    uint8_t bus;
    uint8_t page;   /* bytes one write may take (I2C, SPI) */
    uint16_t size;  /* bytes */
    uint8_t flags;
};

/* Copies the row of that device into *part; 0 when the board has none. A row whose
 * bus is BUS_NONE is a part the board refuses. */
uint8_t fw_find_part(uint8_t device, struct fw_part* part);

/* The table itself, for the host's check against the program's catalogue. */
extern const struct fw_part fw_parts[];
extern const uint8_t fw_part_count;

#endif
