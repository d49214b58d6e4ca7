/* 24Cxx and PCF8582 on two open-drain lines, the 24Cxx at up to 400 kHz, the PCF8582
 * at 100 kHz, as their datasheets allow. A write is followed by the chip's write
 * cycle, during which it does not acknowledge its address: the next address is
 * polled until it does. */

#include "board.h"
#include "buses.h"
#include "pins.h"

static struct {
    uint8_t base; /* device address with the block bits clear */
    uint8_t two;  /* two address bytes */
    uint8_t page;
    uint8_t slow; /* a 100 kHz part */
} bus;

/* Half a clock period: at least the longer of SCL's low and high times. */
static void half(void) {
    if (bus.slow) _delay_us(3.5);
    _delay_us(1.5);
}

static void start(void) {
    sda(1); /* a repeated start comes with SCL low: keep it low long enough */
    half();
    scl(1);
    half();
    sda(0);
    half();
    scl(0);
}

static void stop(void) {
    sda(0);
    half();
    scl(1);
    half();
    sda(1);
    half();
}

/* Sends a byte; 1 when the chip acknowledged it. */
static uint8_t put(uint8_t b) {
    for (uint8_t i = 0; i < 8; ++i, b <<= 1) {
        sda(b & 0x80);
        half();
        scl(1);
        half();
        scl(0);
    }
    sda(1);
    half();
    scl(1);
    half();
    const uint8_t ack = !sda_in();
    scl(0);
    return ack;
}

static uint8_t get(uint8_t ack) {
    uint8_t b = 0;
    sda(1);
    for (uint8_t i = 0; i < 8; ++i) {
        half();
        scl(1);
        half();
        b = (uint8_t)(b << 1 | sda_in());
        scl(0);
    }
    sda(!ack);
    half();
    scl(1);
    half();
    scl(0);
    sda(1);
    return b;
}

/* With one address byte the bits above it select the block in the device address. */
static uint8_t device(uint16_t at) {
    return bus.two ? bus.base : (uint8_t)(bus.base | ((at >> 8) & 7) << 1);
}

/* Start, device address for writing, the address bytes: polled while the chip is
 * busy writing; 1 when it never answers. */
static uint8_t address(uint16_t at) {
    uint16_t steps = POLL_STEPS;
    for (;;) {
        start();
        if (put(device(at))) break;
        stop();
        if (!--steps) return 1;
        _delay_us(POLL_STEP_US);
    }
    if (bus.two && !put((uint8_t)(at >> 8))) return 1;
    return !put((uint8_t)at);
}

static uint8_t i2c_begin(const struct fw_part* part, const uint8_t* abcd, uint8_t command) {
    (void)command;
    (void)abcd; /* the bus has no instructions */
    bus.base = part->flags & PART_CASCADE ? 0x80 : 0xA0;
    bus.two = part->flags & PART_ADDR2;
    bus.page = part->page;
    bus.slow = part->flags & PART_SLOW;
    /* a chip left mid-byte holds SDA low: clock it out */
    for (uint8_t i = 0; i < 9 && !sda_in(); ++i) {
        scl(0);
        half();
        scl(1);
        half();
    }
    stop();
    const uint8_t failed = address(0);
    stop();
    return failed;
}

static uint8_t i2c_read(uint16_t at, uint8_t* buf, uint8_t n) {
    while (n) {
        /* one address byte: a read stays inside its 256-byte block */
        uint16_t run = bus.two ? n : 256u - (at & 0xFF);
        if (run > n) run = n;
        if (address(at)) {
            stop();
            return 1;
        }
        start();
        if (!put(device(at) | 1)) {
            stop();
            return 1;
        }
        for (uint16_t i = 0; i < run; ++i) *buf++ = get(i + 1 < run);
        stop();
        at += run;
        n -= (uint8_t)run;
    }
    return 0;
}

static uint8_t i2c_write(uint16_t at, const uint8_t* buf, uint8_t n) {
    while (n) {
        uint8_t run = (uint8_t)(bus.page - (at & (bus.page - 1))); /* to the page's end */
        if (run > n) run = n;
        if (address(at)) {
            stop();
            return 1;
        }
        for (uint8_t i = 0; i < run; ++i)
            if (!put(*buf++)) {
                stop();
                return 1;
            }
        stop(); /* starts the write cycle; the next address waits for its end */
        at += run;
        n -= run;
    }
    return 0;
}

const struct bus_driver i2c_driver FW_FLASH = {i2c_begin, i2c_read, i2c_write, 0, 0, 0, 0, 0};
