/* 93Cxx and 59Cxx: start bit, opcode and address shifted in on SK's rising edge, CS
 * high for the length of one instruction. The instructions are the program's own
 * (packet bytes 12..15); their length is that of the one the packet carries, and the
 * read and write instructions follow from it: start bit, then 1 0 for read and 0 1
 * for write on both kinds (the 59Cxx's longer opcodes begin the same way). Words
 * travel high byte first, so the even byte of a word is its high byte. */

#include "board.h"
#include "buses.h"
#include "pins.h"

#define HALF_US 1 /* SK up to 500 kHz; the slowest parts take 1 MHz */

static struct {
    uint16_t op;   /* the packet's instruction: read, write or erase-all */
    uint16_t ewen; /* erase/write enable */
    uint8_t bits;  /* instruction length */
    uint8_t words; /* 16-bit organisation */
    uint8_t status; /* busy/ready on DO */
} mw;

static uint16_t read_op(void) { return (uint16_t)(3u << (mw.bits - 2)); }
static uint16_t write_op(void) { return (uint16_t)(5u << (mw.bits - 3)); }

static void shift_out(uint16_t v, uint8_t bits) {
    while (bits--) {
        di((v >> bits) & 1);
        _delay_us(HALF_US);
        sk(1);
        _delay_us(HALF_US);
        sk(0);
    }
}

static uint16_t shift_in(uint8_t bits) {
    uint16_t v = 0;
    while (bits--) {
        sk(1);
        _delay_us(HALF_US);
        v = (uint16_t)(v << 1 | do_in());
        sk(0);
        _delay_us(HALF_US);
    }
    return v;
}

static void select(void) {
    sk(0);
    cs(1);
    _delay_us(HALF_US);
}

static void deselect(void) {
    cs(0);
    di(0);
    _delay_us(HALF_US);
}

/* One read instruction per unit: sequential reading is not on every part. The chip
 * answers with a dummy 0 before the data; an empty socket's DO stays high, and so
 * does a busy chip's that ignores the instruction. */
static uint8_t read_unit(uint16_t unit, uint16_t* v) {
    select();
    shift_out(read_op() | unit, mw.bits);
    const uint8_t dummy = do_in();
    *v = shift_in(mw.words ? 16 : 8);
    deselect();
    return dummy;
}

/* After a write or erase-all has started: with CS high again DO is low while the
 * chip is busy and goes high when it is done; an empty socket reads high at once,
 * which the read-back that follows every write finds out. A part without that
 * status is polled by reading the unit until it holds what was written. */
static uint8_t wait_written(uint16_t unit, uint16_t value) {
    uint16_t steps = POLL_STEPS;
    if (mw.status) {
        select();
        while (!do_in() && --steps) _delay_us(POLL_STEP_US);
        deselect();
        return steps ? 0 : 1;
    }
    for (; steps; --steps) {
        uint16_t v;
        if (read_unit(unit, &v) == 0 && v == value) return 0;
        _delay_us(POLL_STEP_US);
    }
    return 1;
}

static void instruction(uint16_t op) {
    select();
    shift_out(op, mw.bits);
    deselect();
}

static uint8_t microwire_begin(const struct fw_part* part, const uint8_t* abcd, uint8_t command) {
    (void)command;
    mw.op = (uint16_t)(abcd[1] << 8 | abcd[0]);
    mw.ewen = (uint16_t)(abcd[3] << 8 | abcd[2]);
    mw.words = part->flags & PART_WORDS;
    mw.status = !(part->flags & PART_NO_STATUS);
    mw.bits = 0;
    for (uint16_t v = mw.op; v; v >>= 1) ++mw.bits;
    if (mw.bits < 4) return 1; /* the packet carries no instruction */
    org(mw.words);
    cs(0);
    uint16_t v;
    return read_unit(0, &v);
}

static uint8_t microwire_read(uint16_t at, uint8_t* buf, uint8_t n) {
    for (uint8_t i = 0; i < n;) {
        uint16_t v;
        if (read_unit(mw.words ? (at + i) >> 1 : at + i, &v)) return 1;
        if (mw.words) {
            buf[i++] = (uint8_t)(v >> 8);
            if (i < n) buf[i++] = (uint8_t)v;
        } else {
            buf[i++] = (uint8_t)v;
        }
    }
    return 0;
}

static uint8_t microwire_write(uint16_t at, const uint8_t* buf, uint8_t n) {
    instruction(mw.ewen);
    const uint8_t step = mw.words ? 2 : 1;
    for (uint8_t i = 0; i < n; i += step) {
        const uint16_t unit = mw.words ? (uint16_t)((at + i) >> 1) : (uint16_t)(at + i);
        const uint16_t value = mw.words ? (uint16_t)(buf[i] << 8 | buf[i + 1]) : buf[i];
        select();
        shift_out(write_op() | unit, mw.bits);
        shift_out(value, mw.words ? 16 : 8);
        deselect(); /* CS falling starts the write */
        if (wait_written(unit, value)) return 1;
    }
    return 0;
}

static uint8_t microwire_erase(void) {
    instruction(mw.ewen);
    instruction(mw.op);
    return wait_written(0, mw.words ? 0xFFFF : 0xFF);
}

const struct bus_driver microwire_driver FW_FLASH = {
    microwire_begin, microwire_read, microwire_write, microwire_erase, 0, 0, 0, 0};
