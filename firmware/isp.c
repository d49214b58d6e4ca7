/* AVR and AT89S microcontrollers by in-system programming at 5 V: RST, and SPI mode 0
 * on the 25Cxx's lines (MOSI on D11, MISO on D12, SCK on D13), with a clock for the
 * target from timer 2 so that a chip without its crystal runs. The AVRs hold RESET
 * low while programming, the AT89S hold RST high. Instructions are four bytes, but
 * for the AT89S53 and AT89S8252, whose three-byte instructions carry the high
 * address bits in the opcode byte.
 *
 * SCK is slow enough for the 2 MHz target clock: each phase longer than two target
 * cycles on the AVRs, a period longer than 16 cycles on the AT89S51/52 and than 40
 * on the AT89S53/8252. None of these parts has the later AVRs' RDY/BSY instruction:
 * a write ends by data polling, reading the byte until it holds what was written. */

#include "board.h"
#include "buses.h"
#include "isp_line.h"
#include "protocol/protocol.h"

#define HALF_US_AVR 3 /* a 1 MHz internal RC (the ATmega as delivered) wants > 2 us */
#define HALF_US_AT89 5
#define HALF_US_AT89X 12

/* Data polling's pace, about a quarter of each kind's usual write time (AVR 4 ms,
 * AT89S51/52 0.5 ms, AT89S53/8252 2.5 ms): few reads, little time lost. */
#define POLL_US_AVR 1000
#define POLL_US_AT89 125
#define POLL_US_AT89X 600

/* After RESET: AVR 20 ms before programming enable; the AT89S want less. */
#define ENABLE_WAIT_MS 20
#define ENABLE_TRIES 32 /* the AVR's sync: an SCK pulse and try again */
#define ECHO_AVR 0x53
#define ECHO_AT89 0x69

/* AVR writes whose value is one the chip also reads while busy: the datasheets'
 * longest write, then the read-back. */
#define AVR_WRITE_MS 10
#define AVR_ERASE_MS 30
#define AT89_ERASE_MS 500
#define AT89_LOCK_MS 10
#define AVR_FUSE_MS 10

/* Fuses serial programming cannot reach (FUSE_FIXED): what Read Fuse shows for them,
 * SPI enable programmed and nothing else, and the one setting a write may ask for. */
#define FIXED_READ_AT90S 0xFE /* bit 5 (SPI enable) reads 1 when programmed */
#define FIXED_READ_AT89X 0xFF /* bit 0 likewise; the lock bits 7..5 as unprogrammed */
#define FIXED_MASK_AT90S 0x21 /* written: SPI enable 0 (programmed), bit 0 1 */
#define FIXED_WANT_AT90S 0x01
#define FIXED_MASK_AT89X 0x01
#define FIXED_WANT_AT89X 0x00
#define SPIEN_BIT 0x20 /* not changed by serial programming: left out of the check */

static struct {
    uint8_t avr;   /* else AT89S */
    uint8_t flags; /* the part's */
    uint8_t fuse;
    uint8_t page;  /* bytes of a flash page (paged parts) */
    uint8_t half;  /* microseconds of each SCK phase */
    uint16_t poll; /* microseconds between two reads of data polling */
    uint8_t data;  /* the data EEPROM, else the program memory */
} isp;

static uint8_t transfer(uint8_t out) { return isp_transfer(out, isp.half); }

/* A three-byte instruction (AT89S53/8252): the last byte in. */
static uint8_t instr3(uint8_t a, uint8_t b, uint8_t c) {
    transfer(a);
    transfer(b);
    return transfer(c);
}

/* A four-byte instruction: the last byte in; *third the one before it. */
static uint8_t third;
static uint8_t instr(uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
    transfer(a);
    transfer(b);
    third = transfer(c);
    return transfer(d);
}

#define delay_ms isp_wait_ms

/* RST's level that holds the target in reset, and so in programming mode. */
static uint8_t held(uint8_t on) { return isp.avr ? !on : on; }

/* The AT89S53/8252 opcode byte: address bits 12..8 on top, bit 13 (AT89S53) in bit 2
 * of the program memory's opcodes, which leave it clear. */
static uint8_t opcode_x(uint16_t at, uint8_t op) {
    return (uint8_t)((at >> 8 & 0x1F) << 3 | (at >> 11 & 4) | op);
}

static uint8_t read_byte(uint16_t at) {
    if (isp.avr) {
        if (isp.data) return instr(0xA0, (uint8_t)(at >> 8), (uint8_t)at, 0);
        return instr((uint8_t)(0x20 | (at & 1) << 3), (uint8_t)(at >> 9), (uint8_t)(at >> 1), 0);
    }
    if (isp.flags & PART_NO_ECHO) return instr3(opcode_x(at, isp.data ? 5 : 1), (uint8_t)at, 0);
    return instr(0x20, (uint8_t)(at >> 8), (uint8_t)at, 0);
}

/* Whether the AVR reads v while busy writing it: data polling's 7Fh and 80h, FFh on
 * the ATmega (the page, or the EEPROM byte, reads erased), 00h and FFh on the
 * AT90S1200. */
static uint8_t busy_value(uint8_t v) {
    if (v == 0x7F || v == 0x80) return 1;
    if (isp.flags & PART_PAGED) return v == 0xFF;
    return (isp.flags & PART_NO_ECHO) && (v == 0x00 || v == 0xFF);
}

/* The end of a write: the byte at `at` reads as v. A value the AVR also shows while
 * busy gets the longest write time first. */
static uint8_t poll(uint16_t at, uint8_t v) {
    if (isp.avr && busy_value(v)) delay_ms(AVR_WRITE_MS);
    for (uint16_t steps = WRITE_CYCLE_LIMIT_MS * 1000u / isp.poll; steps; --steps) {
        isp_wait_us(isp.poll);
        if (read_byte(at) == v) return 0;
    }
    return 1;
}

static uint8_t enable(void) {
    isp_start(held(0));
    isp_wait_us(100); /* a reset pulse of many target cycles */
    isp_rst(held(1));
    delay_ms(ENABLE_WAIT_MS);
    for (uint8_t i = 0; i < ENABLE_TRIES; ++i) {
        if (isp.avr) {
            instr(0xAC, 0x53, 0, 0);
            if (third == ECHO_AVR) return 0;
            /* the AT90S1200 echoes nothing: a chip that answers has a signature */
            if ((isp.flags & PART_NO_ECHO) && instr(0x30, 0, 0, 0) != 0xFF) return 0;
        } else if (isp.flags & PART_NO_ECHO) {
            instr3(0xAC, 0x53, 0); /* answers nothing */
            return 0;
        } else if (instr(0xAC, 0x53, 0, 0) == ECHO_AT89) {
            return 0;
        }
        isp_sck_pulse(isp.half); /* out of step: a clock pulse, and again */
    }
    return 1;
}

static uint8_t isp_begin(const struct fw_part* part, const uint8_t* abcd, uint8_t command) {
    (void)abcd;
    isp.avr = part->bus == BUS_AVR;
    isp.flags = part->flags;
    isp.fuse = part->fuse;
    isp.page = part->page;
    isp.half = isp.avr ? HALF_US_AVR : part->flags & PART_NO_ECHO ? HALF_US_AT89X : HALF_US_AT89;
    isp.poll = isp.avr ? POLL_US_AVR : part->flags & PART_NO_ECHO ? POLL_US_AT89X : POLL_US_AT89;
    isp.data = command == KP_CMD_READ_DATA || command == KP_CMD_PROGRAM_DATA;
    return enable();
}

static uint8_t isp_read(uint16_t at, uint8_t* buf, uint8_t n) {
    while (n--) *buf++ = read_byte(at++);
    return 0;
}

/* One byte in byte mode: left alone when it holds the value already (an erased
 * byte of flash is FFh), else written and polled. */
static uint8_t put_byte(uint16_t at, uint8_t v) {
    if (read_byte(at) == v) return 0;
    if (isp.avr) {
        if (isp.data)
            instr(0xC0, (uint8_t)(at >> 8), (uint8_t)at, v);
        else
            instr((uint8_t)(0x40 | (at & 1) << 3), (uint8_t)(at >> 9), (uint8_t)(at >> 1), v);
    } else if (isp.flags & PART_NO_ECHO) {
        instr3(opcode_x(at, isp.data ? 6 : 2), (uint8_t)at, v);
    } else {
        instr(0x40, (uint8_t)(at >> 8), (uint8_t)at, v);
    }
    return poll(at, v);
}

/* Flash by pages: the words loaded into the page buffer, then the page written and
 * polled at its last byte that is not FFh (which the page reads while busy). */
static uint8_t write_pages(uint16_t at, const uint8_t* buf, uint8_t n) {
    const uint8_t words = isp.page / 2;
    while (n) {
        uint16_t poll_at = at;
        uint8_t poll_value = 0xFF;
        do {
            instr((uint8_t)(0x40 | (at & 1) << 3), 0, (uint8_t)((at >> 1) & (words - 1)), *buf);
            if (*buf != 0xFF) {
                poll_at = at;
                poll_value = *buf;
            }
            ++buf;
            ++at;
            --n;
        } while (n && (at & (isp.page - 1)));
        const uint16_t word = (uint16_t)((at - 1) >> 1);
        instr(0x4C, (uint8_t)(word >> 8), (uint8_t)(word & ~(words - 1)), 0);
        if (poll(poll_at, poll_value)) return 1;
    }
    return 0;
}

static uint8_t isp_write(uint16_t at, const uint8_t* buf, uint8_t n) {
    if ((isp.flags & PART_PAGED) && !isp.data) return write_pages(at, buf, n);
    for (; n; --n)
        if (put_byte(at++, *buf++)) return 1;
    return 0;
}

/* Chip erase, then programming mode entered again (the AT90S1200 wants a new
 * RESET after it). */
static uint8_t isp_erase(void) {
    if (!isp.avr && (isp.flags & PART_NO_ECHO)) {
        instr3(0xAC, 0x04, 0);
        delay_ms(AT89_ERASE_MS);
    } else {
        instr(0xAC, 0x80, 0, 0);
        delay_ms(isp.avr ? AVR_ERASE_MS : AT89_ERASE_MS);
    }
    return enable();
}

static uint8_t isp_signature(uint8_t* sig) {
    if (!isp.avr) return 1; /* the AT89S's serial instructions read none the program knows */
    for (uint8_t i = 0; i < 3; ++i) sig[i] = instr(0x30, 0, i, 0);
    return 0;
}

static uint8_t isp_read_fuses(uint8_t* fuses) {
    fuses[1] = fuses[2] = fuses[3] = 0xFF;
    switch (isp.fuse) {
    case FUSE_FIXED: fuses[0] = isp.avr ? FIXED_READ_AT90S : FIXED_READ_AT89X; return 0;
    case FUSE_TINY:
        fuses[0] = instr(0x50, 0, 0, 0);
        fuses[1] = instr(0x58, 0, 0, 0);
        return 0;
    case FUSE_MEGA:
        fuses[0] = instr(0x50, 0, 0, 0);
        fuses[1] = instr(0x58, 0x08, 0, 0);
        return 0;
    case FUSE_FSTRT: fuses[0] = instr(0x58, 0, 0, 0); return 0;
    default: return 1;
    }
}

/* The bytes written, then read back (but SPI enable, which serial programming
 * leaves as it is). */
static uint8_t isp_write_fuses(const uint8_t* fuses) {
    switch (isp.fuse) {
    case FUSE_FIXED:
        return isp.avr ? (fuses[0] & FIXED_MASK_AT90S) != FIXED_WANT_AT90S
                       : (fuses[0] & FIXED_MASK_AT89X) != FIXED_WANT_AT89X;
    case FUSE_TINY:
        instr(0xAC, 0xA0, 0, fuses[0]);
        delay_ms(AVR_FUSE_MS);
        return ((instr(0x50, 0, 0, 0) ^ fuses[0]) & ~SPIEN_BIT) != 0;
    case FUSE_MEGA:
        instr(0xAC, 0xA0, 0, fuses[0]);
        delay_ms(AVR_FUSE_MS);
        instr(0xAC, 0xA8, 0, fuses[1]);
        delay_ms(AVR_FUSE_MS);
        return instr(0x50, 0, 0, 0) != fuses[0] ||
               ((instr(0x58, 0x08, 0, 0) ^ fuses[1]) & ~SPIEN_BIT) != 0;
    case FUSE_FSTRT:
        instr(0xAC, (uint8_t)(0xBE | (fuses[0] & 1)), 0, 0);
        delay_ms(AVR_FUSE_MS);
        return 0;
    default: return 1;
    }
}

/* The lock list's modes 1, 3 and 7 set lock bits 1, 1+2 and 1+2+3; the ATmega's
 * mode is its lock byte with a set bit for each programmed (so written 0) bit. */
static uint8_t isp_lock(uint8_t mode) {
    if (isp.avr) {
        if (isp.flags & PART_PAGED)
            instr(0xAC, 0xE0, 0, (uint8_t)(~mode | 0xC0));
        else
            instr(0xAC, (uint8_t)(0xF9 | (mode & 1 ? 0 : 2) | (mode & 2 ? 0 : 4)), 0, 0);
        delay_ms(AVR_WRITE_MS);
        return 0;
    }
    if (isp.flags & PART_NO_ECHO) { /* LB1 LB2 LB3 in bits 7..5, written 0 */
        instr3(0xAC, (uint8_t)(0xFF ^ (mode & 1) << 7 ^ (mode & 2) << 5 ^ (mode & 4) << 3), 0);
        delay_ms(AT89_LOCK_MS);
        return 0;
    }
    /* the AT89S51/52 take the modes one after the other */
    for (uint8_t k = 1; k <= 3; ++k) {
        if (!(mode & (1u << (k - 1)))) continue;
        instr(0xAC, (uint8_t)(0xE0 | k), 0, 0);
        delay_ms(AT89_LOCK_MS);
    }
    return 0;
}

const struct bus_driver isp_driver FW_FLASH = {isp_begin,     isp_read,       isp_write,
                                               isp_erase,     isp_signature,  isp_read_fuses,
                                               isp_write_fuses, isp_lock};
