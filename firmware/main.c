/* The open adapter on an ATmega328P at 16 MHz: the line by interrupt into rings, the
 * protocol fed from the main loop, which sleeps whenever nothing has arrived. */

#include "board.h"
#include "pins.h"
#include "protocol.h"

#include <avr/interrupt.h>
#include <avr/io.h>
#include <avr/sleep.h>
#include <util/atomic.h>

/* 19200 baud from 16 MHz: 16e6 / (16 * 52) = 19231, +0.16 %. */
#define UBRR_19200 51

/* The 128 raw bytes of a block to program arrive back to back while the main loop
 * may be busy; a whole block and its answer fit in the sending ring. Sizes are
 * powers of two so that the indexes wrap by themselves. */
#define RX_SIZE 64u
#define TX_SIZE 256u

static volatile uint8_t rx_ring[RX_SIZE];
static volatile uint8_t rx_head, rx_tail;
static volatile uint8_t tx_ring[TX_SIZE];
static volatile uint8_t tx_head, tx_tail;
static volatile uint16_t timer_overflows;

ISR(USART_RX_vect) {
    const uint8_t b = UDR0;
    const uint8_t next = (uint8_t)((rx_head + 1) & (RX_SIZE - 1));
    if (next != rx_tail) { /* a full ring drops the byte: the program's echo check sees it */
        rx_ring[rx_head] = b;
        rx_head = next;
    }
}

ISR(USART_UDRE_vect) {
    if (tx_tail == tx_head) {
        UCSR0B &= ~_BV(UDRIE0);
        return;
    }
    UDR0 = tx_ring[tx_tail];
    tx_tail = (uint8_t)(tx_tail + 1);
}

ISR(TIMER1_OVF_vect) { ++timer_overflows; }

/* Sleeps until the next interrupt unless `ready` already holds; interrupts are
 * enabled again in the instruction before the sleep, so none is missed. */
#define SLEEP_UNTIL(ready)                                                                         \
    do {                                                                                           \
        cli();                                                                                     \
        if (ready) {                                                                               \
            sei();                                                                                 \
            break;                                                                                 \
        }                                                                                          \
        sleep_enable();                                                                            \
        sei();                                                                                     \
        sleep_cpu();                                                                               \
        sleep_disable();                                                                           \
    } while (1)

void board_send(uint8_t b) {
    const uint8_t next = (uint8_t)(tx_head + 1);
    SLEEP_UNTIL(next != tx_tail);
    tx_ring[tx_head] = b;
    tx_head = next;
    UCSR0B |= _BV(UDRIE0);
}

uint32_t board_ms(void) {
    uint32_t ticks; /* 64 us each: 16 MHz / 1024 */
    ATOMIC_BLOCK(ATOMIC_RESTORESTATE) {
        uint16_t low = TCNT1;
        uint16_t high = timer_overflows;
        if ((TIFR1 & _BV(TOV1)) && low < 0x8000) ++high; /* overflowed, not yet counted */
        ticks = (uint32_t)high << 16 | low;
    }
    return ticks / 125 * 8 + ticks % 125 * 8 / 125;
}

void pins_rest(void) {
    PORTB = _BV(DO_BIT); /* pull-up on DO; CS, DI, SK low */
    DDRB = _BV(CS_BIT) | _BV(DI_BIT) | _BV(SK_BIT);
    PORTD &= ~_BV(ORG_BIT);
    DDRD |= _BV(ORG_BIT);
    PORTC &= ~(_BV(SDA_BIT) | _BV(SCL_BIT)); /* driving an I2C line means low */
    DDRC &= ~(_BV(SDA_BIT) | _BV(SCL_BIT));
    TCCR2A = 0; /* the target's clock off, its pin an input */
    TCCR2B = 0;
    DDRD &= ~_BV(XTAL_BIT);
    PORTD &= ~_BV(XTAL_BIT);
}

int main(void) {
    pins_rest();
    UBRR0 = UBRR_19200;
    UCSR0A = 0;
    UCSR0C = _BV(UCSZ01) | _BV(UCSZ00); /* 8N1 */
    UCSR0B = _BV(RXEN0) | _BV(TXEN0) | _BV(RXCIE0);
    TCCR1A = 0;
    TCCR1B = _BV(CS12) | _BV(CS10); /* free running, /1024 */
    TIMSK1 = _BV(TOIE1);
    set_sleep_mode(SLEEP_MODE_IDLE);
    proto_reset();
    sei();
    for (;;) {
        SLEEP_UNTIL(rx_head != rx_tail);
        const uint8_t b = rx_ring[rx_tail];
        rx_tail = (uint8_t)((rx_tail + 1) & (RX_SIZE - 1));
        proto_byte(b);
    }
}
