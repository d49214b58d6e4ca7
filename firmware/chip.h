#ifndef KESTRO_FIRMWARE_CHIP_H
#define KESTRO_FIRMWARE_CHIP_H
/* The chip in the socket, as the protocol sees it: bytes at byte addresses. The bus
 * drivers provide it on the board, fake chips in the host tests. Every call is
 * bounded in time; a non-zero result means the chip did not answer, failed, or has
 * no such thing. */

#include "parts.h"

#include <stdint.h>

/* Gets the part's bus ready for one operation, taking the instructions the packet
 * carries and its command (which memory of a microcontroller), and checks that a
 * chip answers. */
uint8_t chip_begin(const struct fw_part* part, const uint8_t* packet);
/* n bytes from byte address at (at + n <= the memory's size). */
uint8_t chip_read(uint16_t at, uint8_t* buf, uint8_t n);
/* n bytes to byte address at, waiting for the chip to finish writing. A part
 * organised in words takes whole words: at and n are even. */
uint8_t chip_write(uint16_t at, const uint8_t* buf, uint8_t n);
/* The chip's own erase-all. */
uint8_t chip_erase(void);
/* The three signature bytes the chip holds. */
uint8_t chip_signature(uint8_t* sig);
/* The four fuse bytes in the order and sense Read Fuse delivers them. */
uint8_t chip_read_fuses(uint8_t* fuses);
/* The four fuse bytes as Program Fuse sends them. */
uint8_t chip_write_fuses(const uint8_t* fuses);
/* The lock mode of the program's lock list (0, 1, 3, 7; the ATmega's lock byte). */
uint8_t chip_lock(uint8_t mode);
/* The operation is over: the socket's lines back at rest, the target let go. */
void chip_end(void);

#endif
