#ifndef KESTRO_FIRMWARE_BOARD_H
#define KESTRO_FIRMWARE_BOARD_H
/* What the protocol needs of the board: the line and a clock. The ATmega328P
 * provides them in main.c; the host tests provide their own. */

#include <stdint.h>

/* Queues one byte for the line; waits (asleep) while the queue is full. */
void board_send(uint8_t b);
/* Milliseconds since start; wraps. */
uint32_t board_ms(void);

/* Write cycles end well within this (datasheets: 5 to 15 ms); a chip still busy
 * after it has failed. Polled in steps of POLL_STEP_US. */
#define WRITE_CYCLE_LIMIT_MS 25u
#define POLL_STEP_US 20u
#define POLL_STEPS (WRITE_CYCLE_LIMIT_MS * 1000u / POLL_STEP_US)

/* Tables live in flash on the board and in plain memory on the host. */
#ifdef __AVR__
#include <avr/pgmspace.h>
#define FW_FLASH PROGMEM
#define fw_flash_byte(p) pgm_read_byte(p)
#define fw_flash_copy(dst, src, n) memcpy_P((dst), (src), (n))
#else
#include <string.h>
#define FW_FLASH
#define fw_flash_byte(p) (*(const uint8_t*)(p))
#define fw_flash_copy(dst, src, n) memcpy((dst), (src), (n))
#endif

#endif
