/* The chip behind the bus its part sits on. */

#include "chip.h"

#include "buses.h"
#include "pins.h"
#include "protocol/protocol.h"

static const struct bus_driver* driver;

uint8_t chip_begin(const struct fw_part* part, const uint8_t* packet) {
    pins_rest();
    switch (part->bus) {
    case BUS_MICROWIRE: driver = &microwire_driver; break;
    case BUS_I2C: driver = &i2c_driver; break;
    case BUS_SPI: driver = &spi_driver; break;
    default: driver = 0; return 1;
    }
    return driver->begin(part, packet + KP_POS_SERIAL_A);
}

uint8_t chip_read(uint16_t at, uint8_t* buf, uint8_t n) {
    return driver ? driver->read(at, buf, n) : 1;
}

uint8_t chip_write(uint16_t at, const uint8_t* buf, uint8_t n) {
    return driver ? driver->write(at, buf, n) : 1;
}

uint8_t chip_erase(void) { return driver && driver->erase ? driver->erase() : 1; }
