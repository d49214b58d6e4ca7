#ifndef KESTRO_FIRMWARE_PINS_H
#define KESTRO_FIRMWARE_PINS_H
/* The socket's lines on the ATmega328P's ports. Every bus is driven by hand on plain
 * port pins, one way for all of them. */

#include <avr/io.h>
#include <util/delay.h>

#define CS_BIT PB2  /* 93Cxx/59Cxx CS (active high), 25Cxx /CS (active low) */
#define DI_BIT PB3  /* data into the chip */
#define DO_BIT PB4  /* data from the chip; pulled up, so an empty socket reads 1 */
#define SK_BIT PB5  /* clock */
#define ORG_BIT PD7 /* 93Cxx organisation: high = 16-bit words */
#define SDA_BIT PC4 /* I2C lines, open drain: low = driven (DDR 1, PORT 0), */
#define SCL_BIT PC5 /* high = released to the pull-up (DDR 0) */
#define RST_BIT PB1  /* in-system programming: the target's RESET (AVR) or RST (AT89S) */
#define XTAL_BIT PD3 /* OC2B: the target's clock, into its XTAL1 */

/* Sets or clears one bit of a port register (sbi/cbi once inlined). */
#define PORT_BIT(reg, bit, on)                                                                     \
    do {                                                                                           \
        if (on)                                                                                    \
            (reg) |= _BV(bit);                                                                     \
        else                                                                                       \
            (reg) &= (uint8_t)~_BV(bit);                                                           \
    } while (0)

static inline void cs(uint8_t high) { PORT_BIT(PORTB, CS_BIT, high); }
static inline void di(uint8_t high) { PORT_BIT(PORTB, DI_BIT, high); }
static inline void sk(uint8_t high) { PORT_BIT(PORTB, SK_BIT, high); }
static inline uint8_t do_in(void) { return (PINB >> DO_BIT) & 1; }
static inline void org(uint8_t high) { PORT_BIT(PORTD, ORG_BIT, high); }
/* open drain: a line is let go high and driven low */
static inline void sda(uint8_t high) { PORT_BIT(DDRC, SDA_BIT, !high); }
static inline void scl(uint8_t high) { PORT_BIT(DDRC, SCL_BIT, !high); }
static inline uint8_t sda_in(void) { return (PINC >> SDA_BIT) & 1; }

/* The socket's lines at rest: three-wire and SPI lines driven low, DO pulled up,
 * the I2C lines released, RST (PB1) and XTAL (PD3) left as inputs (a target lets go
 * of its programming mode and runs), the target's clock stopped. */
void pins_rest(void);

#endif
