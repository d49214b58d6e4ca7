/* The chip behind the bus its part sits on. */

#include "chip.h"

#include "board.h"
#include "buses.h"
#include "pins.h"
#include "protocol/protocol.h"

/* The drivers' tables stay in flash; the one in use is copied here. */
static struct bus_driver driver;

uint8_t chip_begin(const struct fw_part* part, const uint8_t* packet) {
    const struct bus_driver* table;
    pins_rest();
    switch (part->bus) {
    case BUS_MICROWIRE: table = &microwire_driver; break;
    case BUS_I2C: table = &i2c_driver; break;
    case BUS_SPI: table = &spi_driver; break;
    default: driver.begin = 0; return 1;
    }
    fw_flash_copy(&driver, table, sizeof driver);
    return driver.begin(part, packet + KP_POS_SERIAL_A);
}

uint8_t chip_read(uint16_t at, uint8_t* buf, uint8_t n) {
    return driver.begin ? driver.read(at, buf, n) : 1;
}

uint8_t chip_write(uint16_t at, const uint8_t* buf, uint8_t n) {
    return driver.begin ? driver.write(at, buf, n) : 1;
}

uint8_t chip_erase(void) { return driver.begin && driver.erase ? driver.erase() : 1; }
