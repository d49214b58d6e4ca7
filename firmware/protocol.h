#ifndef KESTRO_FIRMWARE_PROTOCOL_H
#define KESTRO_FIRMWARE_PROTOCOL_H
/* The adapter's side of the line: one state machine fed byte by byte. It answers
 * through board_send() and reaches the chip through chip.h. */

#include <stdint.h>

/* The firmware's version is the project's, given by the build. */
#ifndef FW_VERSION_TEXT
#error "FW_VERSION_TEXT: the build names the version"
#endif

/* Back to waiting for a packet, nothing in progress (start-up). */
void proto_reset(void);
/* One byte from the program. */
void proto_byte(uint8_t b);

#endif
