#ifndef KESTRO_FIRMWARE_ISP_LINE_H
#define KESTRO_FIRMWARE_ISP_LINE_H
/* The lines of in-system programming as isp.c drives them: the board's pins
 * (isp_line.c), or a fake chip in the host tests. */

#include <stdint.h>

/* SCK and MOSI low, RST driven at that level, the target's clock running. */
void isp_start(uint8_t rst_high);
void isp_rst(uint8_t high);
/* One byte in SPI mode 0 on D11..D13, MSB first, each SCK phase half_us long; the
 * byte read. The 25Cxx driver shifts its bytes with it too. */
uint8_t isp_transfer(uint8_t out, uint8_t half_us);
/* One positive SCK pulse (the AVR's way back into step). */
void isp_sck_pulse(uint8_t half_us);
void isp_wait_us(uint16_t us);
void isp_wait_ms(uint16_t ms);

#endif
