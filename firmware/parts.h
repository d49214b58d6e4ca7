#ifndef KESTRO_FIRMWARE_PARTS_H
#define KESTRO_FIRMWARE_PARTS_H
/* The parts of the served families: how each one sits on the board's buses. */

#include <stdint.h>

enum fw_bus {
    BUS_NONE,      /* of a served family, but the board cannot program it */
    BUS_MICROWIRE, /* 93Cxx, 59Cxx: the instructions come in the packet */
    BUS_I2C,       /* 24Cxx, PCF8582 */
    BUS_SPI,       /* 25Cxx: the instructions come in the packet */
    BUS_AVR,       /* AVR serial programming: four-byte instructions, RESET active low */
    BUS_AT89       /* AT89S serial programming: RST active high */
};

/* What Read Fuse and Program Fuse reach on an in-system programmed part. */
enum fw_fuse {
    FUSE_NONE,  /* none: the fuse commands are refused */
    FUSE_FIXED, /* out of reach of serial programming (only SPI enable is known, as
                   programmed): read as such, and a write must ask for just that */
    FUSE_TINY,  /* one fuse byte (byte 0) and the lock bits read in byte 1 */
    FUSE_MEGA,  /* low fuse (byte 0) and high fuse (byte 1) */
    FUSE_FSTRT  /* the lock and fuse byte read raw (byte 0); only FSTRT written */
};

enum {
    PART_WORDS = 1, /* 16-bit organisation: addressed in words, ORG high */
    PART_ADDR2 = 2, /* two address bytes (else one; higher bits go in the device
                       address (I2C) or the instruction (SPI)) */
    PART_CASCADE = 4, /* I2C device address 1 A2 A1 A0 B2 B1 B0 R/W instead of
                         1010 B2 B1 B0 R/W: the cascadable 24C164 */
    PART_NO_STATUS = 8, /* three-wire part that tells busy on a pin of its own, which
                           the board does not wire (59Cxx) */
    PART_SLOW = 16,     /* I2C at 100 kHz (else 400 kHz) */
    PART_PAGED = 32,    /* AVR: flash written a page at a time */
    PART_NO_ECHO = 64,  /* AVR: programming enable echoes nothing (AT90S1200); the
                           AT89S: the three-byte instruction format (AT89S53/8252) */
    PART_MCU = 128      /* program memory (size) and data memory (data) */
};

struct fw_part {
    uint8_t device; /* the program's device index */
    uint8_t family; /* the family code it must come with */
    uint8_t bus;
    uint8_t page;   /* bytes one write may take (I2C, SPI) */
    uint16_t size;  /* bytes; a microcontroller's program memory */
    uint8_t flags;
    uint16_t data;  /* a microcontroller's data EEPROM, bytes */
    uint8_t fuse;   /* enum fw_fuse */
};

/* Copies the row of that device into *part; 0 when the board has none. A row whose
 * bus is BUS_NONE is a part the board refuses. */
uint8_t fw_find_part(uint8_t device, struct fw_part* part);

/* The table itself, for the host's check against the program's catalogue. */
extern const struct fw_part fw_parts[];
extern const uint8_t fw_part_count;

#endif
