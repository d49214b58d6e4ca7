#ifndef KESTRO_FIRMWARE_CHIP_H
#define KESTRO_FIRMWARE_CHIP_H
/* The chip in the socket, as the protocol sees it: bytes at byte addresses. The bus
 * drivers provide it on the board, fake chips in the host tests. Every call is
 * bounded in time; a non-zero result means the chip did not answer or failed. */

#include "parts.h"

#include <stdint.h>

/* Gets the part's bus ready for one operation, taking the instructions the packet
 * carries, and checks that a chip answers. */
uint8_t chip_begin(const struct fw_part* part, const uint8_t* packet);
/* n bytes from byte address at (at + n <= the part's size). */
uint8_t chip_read(uint16_t at, uint8_t* buf, uint8_t n);
/* n bytes to byte address at, waiting for the chip to finish writing. A part
 * organised in words takes whole words: at and n are even. */
uint8_t chip_write(uint16_t at, const uint8_t* buf, uint8_t n);
/* The chip's own erase-all; non-zero when the part has none. */
uint8_t chip_erase(void);

#endif
