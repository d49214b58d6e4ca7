/* 25Cxx in SPI mode 0: /CS low for one instruction, data in on SCK's rising edge.
 * The read, write and write-enable instructions are the program's own (packet bytes
 * 12 and 14); with one address byte the ninth address bit goes into bit 3 of the
 * instruction (25C040). A write ends with the chip's write cycle, polled through the
 * status register's WIP bit. */

#include "board.h"
#include "buses.h"
#include "isp_line.h"
#include "pins.h"

#define HALF_US 1
#define RDSR 0x05
#define WIP 0x01
#define READ_BIT 0x01 /* read and write differ in this bit only */

static struct {
    uint8_t op;
    uint8_t wren;
    uint8_t two;
    uint8_t page;
} spi;

/* The same mode-0 byte as in-system programming's, on the same lines. */
static uint8_t transfer(uint8_t out) { return isp_transfer(out, HALF_US); }

static void select(void) {
    sk(0);
    cs(0);
    _delay_us(HALF_US);
}

static void deselect(void) {
    cs(1);
    _delay_us(HALF_US);
}

/* An empty socket reads all ones: busy for ever. */
static uint8_t wait_ready(void) {
    for (uint16_t steps = POLL_STEPS; steps; --steps) {
        select();
        transfer(RDSR);
        const uint8_t status = transfer(0);
        deselect();
        if (!(status & WIP)) return 0;
        _delay_us(POLL_STEP_US);
    }
    return 1;
}

static void command(uint8_t op, uint16_t at) {
    select();
    if (spi.two) {
        transfer(op);
        transfer((uint8_t)(at >> 8));
    } else {
        transfer((uint8_t)(op | (at >> 8 & 1) << 3));
    }
    transfer((uint8_t)at);
}

static uint8_t spi_begin(const struct fw_part* part, const uint8_t* abcd, uint8_t command) {
    (void)command;
    spi.op = abcd[0];
    spi.wren = abcd[2];
    spi.two = part->flags & PART_ADDR2;
    spi.page = part->page;
    deselect();
    if (!spi.op || !spi.wren) return 1; /* nothing the part offers */
    return wait_ready();
}

static uint8_t spi_read(uint16_t at, uint8_t* buf, uint8_t n) {
    command(spi.op | READ_BIT, at);
    while (n--) *buf++ = transfer(0);
    deselect();
    return 0;
}

static uint8_t spi_write(uint16_t at, const uint8_t* buf, uint8_t n) {
    while (n) {
        uint8_t run = (uint8_t)(spi.page - (at & (spi.page - 1)));
        if (run > n) run = n;
        select();
        transfer(spi.wren);
        deselect();
        command(spi.op & ~READ_BIT, at);
        for (uint8_t i = 0; i < run; ++i) transfer(*buf++);
        deselect(); /* starts the write cycle */
        if (wait_ready()) return 1;
        at += run;
        n -= run;
    }
    return 0;
}

const struct bus_driver spi_driver FW_FLASH = {spi_begin, spi_read, spi_write, 0, 0, 0, 0, 0};
