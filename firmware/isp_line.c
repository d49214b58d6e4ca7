/* The in-system programming lines on the board: RST on D9, MOSI, MISO and SCK on
 * D11..D13, the target's clock on D3 (OC2B). */

#include "isp_line.h"

#include "pins.h"

/* 16 MHz / (2 * (3 + 1)) = 2 MHz on OC2B, toggled in CTC mode. */
#define XTAL_TOP 3

void isp_start(uint8_t rst_high) {
    sk(0);
    di(0);
    isp_rst(rst_high);
    DDRB |= _BV(RST_BIT);
    TCCR2A = _BV(COM2B0) | _BV(WGM21); /* the mode first: the compare values are its */
    TCCR2B = _BV(CS20);
    OCR2A = XTAL_TOP;
    OCR2B = 0;
    DDRD |= _BV(XTAL_BIT);
}

void isp_rst(uint8_t high) { PORT_BIT(PORTB, RST_BIT, high); }

static void phase(uint8_t half_us) {
    while (half_us--) _delay_us(1);
}

uint8_t isp_transfer(uint8_t out, uint8_t half_us) {
    uint8_t in = 0;
    for (uint8_t i = 0; i < 8; ++i, out <<= 1) {
        di(out & 0x80);
        phase(half_us);
        sk(1);
        in = (uint8_t)(in << 1 | do_in());
        phase(half_us);
        sk(0);
    }
    return in;
}

void isp_sck_pulse(uint8_t half_us) {
    sk(1);
    phase(half_us);
    sk(0);
    phase(half_us);
}

void isp_wait_us(uint16_t us) {
    while (us--) _delay_us(1);
}

void isp_wait_ms(uint16_t ms) {
    while (ms--) _delay_ms(1);
}
