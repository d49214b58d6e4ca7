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
    case BUS_AVR:
    case BUS_AT89: table = &isp_driver; break;
    default: driver.begin = 0; return 1;
    }
    fw_flash_copy(&driver, table, sizeof driver);
    return driver.begin(part, packet + KP_POS_SERIAL_A, packet[KP_POS_COMMAND]);
}

/* A call the driver lacks fails, as does any call without a begun driver. */
#define CALL(fn, ...) (driver.begin && driver.fn ? driver.fn(__VA_ARGS__) : 1)

uint8_t chip_read(uint16_t at, uint8_t* buf, uint8_t n) { return CALL(read, at, buf, n); }
uint8_t chip_write(uint16_t at, const uint8_t* buf, uint8_t n) { return CALL(write, at, buf, n); }
uint8_t chip_erase(void) { return driver.begin && driver.erase ? driver.erase() : 1; }
uint8_t chip_signature(uint8_t* sig) { return CALL(signature, sig); }
uint8_t chip_read_fuses(uint8_t* fuses) { return CALL(read_fuses, fuses); }
uint8_t chip_write_fuses(const uint8_t* fuses) { return CALL(write_fuses, fuses); }
uint8_t chip_lock(uint8_t mode) { return CALL(lock, mode); }

void chip_end(void) {
    driver.begin = 0;
    pins_rest();
}
