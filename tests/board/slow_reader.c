/* A firmware that misbehaves on request, for the board's own checks: it echoes each
 * byte it polls from the UART, but after 0xEE it spins for 10 ms without looking, so
 * bytes sent back to back meanwhile overrun the receiver, and after 0xDD it drives the
 * open-drain SDA line high. */
#include <avr/io.h>
#include <util/delay.h>

int main(void) {
    UBRR0 = 51; /* 19200 baud at 16 MHz */
    UCSR0B = _BV(RXEN0) | _BV(TXEN0);
    UCSR0C = 3 << UCSZ00; /* 8N1 */
    for (;;) {
        while (!(UCSR0A & _BV(RXC0))) {
        }
        const uint8_t b = UDR0;
        while (!(UCSR0A & _BV(UDRE0))) {
        }
        UDR0 = b;
        if (b == 0xEE) _delay_ms(10);
        if (b == 0xDD) {
            PORTC |= _BV(PC4);
            DDRC |= _BV(PC4);
        }
    }
}
