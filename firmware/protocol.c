#include "protocol.h"

#include "board.h"
#include "chip.h"
#include "protocol/protocol.h"

/* A transfer or packet broken off by the program (a cancelled operation, a lost
 * byte) is forgotten after this much quiet on the line. Block reads are exempt: their
 * repeat request may come after a time-out and a port cycle. */
#define QUIET_RESET_MS 3000u

/* The families the board serves, as the handshake's capability map says it: a set
 * bit keeps the family of that number; bit 62 cleared (not the reduced serial
 * adapter, which would withdraw every serial memory), bit 63 set (socket variant 4). */
static const uint8_t capability[KP_CAPABILITY_SIZE] FW_FLASH = {
    1u << 1 | 1u << 2 | 1u << 3 | 1u << 7, /* 1: AT89, 2: AT90S, 3: AVR; 7: 93Cxx */
    1u << 0 | 1u << 1 | 1u << 2 | 1u << 7, /* 8: 24Cxx, 9: 25Cxx, 10: 59Cxx, 15: PCF8582 */
    0x80,                                /* families 16-22 withdrawn; bit 23 means nothing */
    0xFF, 0xFF, 0xFF,                    /* bits 24-47 mean nothing */
    KP_ADAPTER_VERSION,
    0xBF,
};

static const char info_lines[KP_INFO_LINES][KP_INFO_LINE_LENGTH] FW_FLASH = {
    "Kestro open adapter",
    "Firmware version " FW_VERSION_TEXT,
    "serial memories; by ISP: AT90S,",
    "ATtiny12/15 ATmega85x5 AT89S",
};

/* The signature of a part without one: the program maps it to no device. */
#define NO_SIGNATURE 0xFF

enum phase { PACKET, BLOCK_READ, PROGRAM_DATA, PROGRAM_GO, FUSE_BYTES, SECURITY_BYTE };

/* Fuse bytes of Read Fuse and Program Fuse. */
#define FUSE_COUNT 4

static struct {
    uint8_t phase;
    uint8_t pos;
    uint8_t packet[KP_PACKET_SIZE];
    uint32_t last_ms;
    struct fw_part part;
    /* the transfer in progress, in bytes of the chip */
    uint32_t start;
    uint16_t limit; /* bytes of the memory the transfer is in */
    uint16_t blocks;
    uint8_t last_length;
    uint16_t next;    /* next block to send or burn */
    int32_t current;  /* block last asked for, -1: none yet */
    int32_t held;     /* block whose bytes are in s.block, -1: none */
    uint8_t count;    /* raw bytes of a block to program received so far */
    uint8_t block[KP_BLOCK_SIZE];
} s;

void proto_reset(void) {
    s.phase = PACKET;
    s.pos = 0;
    chip_end();
}

/* The operation is over: back to waiting for a packet, the chip let go. */
static void finish(void) {
    s.phase = PACKET;
    chip_end();
}

static uint8_t sum8(const uint8_t* p, uint8_t n) {
    uint8_t sum = 0;
    while (n--) sum += *p++;
    return sum;
}

static void send_handshake(void) {
    uint8_t sum = 0;
    for (uint8_t i = 0; i < KP_CAPABILITY_SIZE; ++i) sum += fw_flash_byte(&capability[i]);
    board_send(sum);
    for (uint8_t i = 0; i < KP_CAPABILITY_SIZE; ++i) board_send(fw_flash_byte(&capability[i]));
    for (uint8_t l = 0; l < KP_INFO_LINES; ++l)
        for (uint8_t i = 0; i < KP_INFO_LINE_LENGTH; ++i) {
            const char c = (char)fw_flash_byte(&info_lines[l][i]);
            board_send(c ? (uint8_t)c : ' ');
        }
}

/* Checksum, then n bytes of s.block. */
static void send_bytes(uint8_t n) {
    board_send(sum8(s.block, n));
    for (uint8_t i = 0; i < n; ++i) board_send(s.block[i]);
}

/* Bytes of block k: 128, the last block's length for the last one. */
static uint8_t block_length(uint16_t k) {
    return k + 1u == s.blocks ? s.last_length : KP_BLOCK_SIZE;
}

/* The part of block k that lies inside the chip: its byte address and length. */
static uint8_t block_span(uint16_t k, uint16_t* at) {
    const uint32_t from = s.start + (uint32_t)k * KP_BLOCK_SIZE;
    uint32_t n = block_length(k);
    if (from >= s.limit) return 0;
    if (from + n > s.limit) n = s.limit - from;
    *at = (uint16_t)from;
    return (uint8_t)n;
}

/* Reads block k into s.block; what lies beyond the chip reads as erased. */
static uint8_t read_block(uint16_t k) {
    uint16_t at = 0;
    const uint8_t inside = block_span(k, &at);
    for (uint8_t i = inside; i < KP_BLOCK_SIZE; ++i) s.block[i] = 0xFF;
    return inside ? chip_read(at, s.block, inside) : 0;
}

/* Has block k in s.block; 0 when the chip gave it. */
static uint8_t fetch(uint16_t k) {
    if (s.held != k) s.held = read_block(k) == 0 ? (int32_t)k : -1;
    return s.held == k ? 0 : 1;
}

/* A block request: 'l' moves on to the next block, 'U' asks for the one asked for
 * last again (the first, before any). A block the chip did not give is refused with a
 * wrong echo: the program asks again with 'U', and gives up after its retries. */
static void send_block(uint8_t request) {
    if (request == KP_BLOCK_REQUEST || s.current < 0) {
        if (s.next >= s.blocks) {
            board_send(request); /* after the last block: nothing to send */
            return;
        }
        s.current = s.next++;
    }
    const uint16_t k = (uint16_t)s.current;
    if (fetch(k) != 0) {
        board_send((uint8_t)~request);
        return;
    }
    board_send(request);
    const uint8_t n = block_length(k);
    board_send(sum8(s.block, n));
    for (uint8_t i = 0; i < n; ++i) board_send(s.block[i]);
    /* the next block is read while this one is still on the line; after the last one
       the chip is let go (a repeat of it is sent from s.block) */
    if (s.next < s.blocks)
        fetch(s.next);
    else
        chip_end();
}

/* Writes the received block and reads it back: 210 only when the chip holds it. */
static uint8_t burn_block(void) {
    uint16_t at = 0;
    uint8_t n = block_span(s.next++, &at);
    if (n == 0) return KP_BLOCK_DONE;
    if ((s.part.flags & PART_WORDS) && (n & 1)) ++n; /* whole words */
    uint8_t back[KP_BLOCK_SIZE];
    if (chip_write(at, s.block, n) != 0 || chip_read(at, back, n) != 0) return KP_BLOCK_FAILED;
    for (uint8_t i = 0; i < n; ++i)
        if (back[i] != s.block[i]) return KP_BLOCK_FAILED;
    return KP_BLOCK_DONE;
}

static void start_transfer(void) {
    const uint8_t* p = s.packet;
    s.start = p[KP_POS_START0] | (uint32_t)p[KP_POS_START1] << 8 |
              (uint32_t)p[KP_POS_START2] << 16;
    if (s.part.flags & PART_WORDS) s.start *= 2;
    const uint8_t command = p[KP_POS_COMMAND];
    s.limit = (s.part.flags & PART_MCU) &&
                      (command == KP_CMD_READ_DATA || command == KP_CMD_PROGRAM_DATA)
                  ? s.part.data
                  : s.part.size;
    s.blocks = (uint16_t)((p[KP_POS_COUNT_LOW] | p[KP_POS_COUNT_HIGH] << 8) + 1);
    s.last_length = p[KP_POS_LAST_LENGTH] ? p[KP_POS_LAST_LENGTH] : KP_BLOCK_SIZE;
    s.next = 0;
    s.current = -1;
    s.held = -1;
    s.count = 0;
}

/* The packet's part into s.part, when the board programs it. */
static uint8_t find_part(void) {
    if (!fw_find_part(s.packet[KP_POS_DEVICE], &s.part)) return 0;
    return s.part.family == s.packet[KP_POS_FAMILY] && s.part.bus != BUS_NONE;
}

/* The same, and its chip answers. */
static uint8_t begin_part(void) { return find_part() && chip_begin(&s.part, s.packet) == 0; }

/* The signature the chip holds into s.block; a part without one, or a chip that does
 * not answer, reads as no signature, which the program takes for an unknown chip. */
static void read_signature(void) {
    for (uint8_t i = 0; i < 3; ++i) s.block[i] = NO_SIGNATURE;
    if (begin_part() && chip_signature(s.block) != 0)
        for (uint8_t i = 0; i < 3; ++i) s.block[i] = NO_SIGNATURE;
    chip_end();
}

/* Whether the packet's command can run here: a part of a served family that the
 * board programs, whose chip answers and has what the command wants (an erase-all,
 * fuses, lock bits). Erase and Read Fuse are done before the answer. */
static uint8_t accept_command(uint8_t command) {
    switch (command) {
    case KP_CMD_HANDSHAKE:
    case KP_CMD_HARDWARE_TEST: return 1;
    case KP_CMD_READ_SIGNATURE: read_signature(); return 1;
    case KP_CMD_READ_PROGRAM:
    case KP_CMD_READ_DATA:
    case KP_CMD_PROGRAM_PROGRAM:
    case KP_CMD_PROGRAM_DATA:
    case KP_CMD_ERASE:
    case KP_CMD_PROGRAM_SECURITY:
    case KP_CMD_PROGRAM_FUSE:
    case KP_CMD_READ_FUSE: break;
    default: return 0;
    }
    if (!find_part()) return 0;
    const uint8_t fuses = command == KP_CMD_PROGRAM_FUSE || command == KP_CMD_READ_FUSE;
    if (fuses && s.part.fuse == FUSE_NONE) return 0;
    if (command == KP_CMD_PROGRAM_SECURITY && s.part.bus != BUS_AVR && s.part.bus != BUS_AT89)
        return 0; /* lock bits: the microcontrollers' */
    if (chip_begin(&s.part, s.packet) != 0) return 0;
    switch (command) {
    case KP_CMD_ERASE: return chip_erase() == 0;
    case KP_CMD_READ_FUSE: return chip_read_fuses(s.block) == 0;
    default: return 1;
    }
}

/* The packet is complete but for its last byte, whose echo says whether the command
 * runs: a refused one gets a wrong echo, which the program reports as its
 * communication error at once. */
static void run_packet(uint8_t terminator) {
    const uint8_t command = s.packet[KP_POS_COMMAND];
    if (terminator != KP_PACKET_TERMINATOR) {
        board_send(terminator);
        return;
    }
    if (!accept_command(command)) {
        chip_end();
        board_send((uint8_t)~terminator);
        return;
    }
    board_send(terminator);
    switch (command) {
    case KP_CMD_HANDSHAKE: send_handshake(); break;
    case KP_CMD_READ_SIGNATURE: send_bytes(3); break;
    case KP_CMD_READ_PROGRAM:
    case KP_CMD_READ_DATA:
        start_transfer();
        s.phase = BLOCK_READ;
        fetch(0);
        break;
    case KP_CMD_PROGRAM_PROGRAM:
    case KP_CMD_PROGRAM_DATA:
        start_transfer();
        s.phase = PROGRAM_DATA;
        break;
    case KP_CMD_READ_FUSE:
        send_bytes(FUSE_COUNT);
        chip_end();
        break;
    case KP_CMD_PROGRAM_FUSE:
        s.count = 0;
        s.phase = FUSE_BYTES;
        break;
    case KP_CMD_PROGRAM_SECURITY: s.phase = SECURITY_BYTE; break;
    case KP_CMD_ERASE: chip_end(); break;
    default: break; /* the hardware test: answered, the pins left alone */
    }
}

static void packet_byte(uint8_t b) {
    if (s.pos == 0 && b == KP_STOP_BYTE) return; /* not echoed */
    s.packet[s.pos++] = b;
    if (s.pos < KP_PACKET_SIZE) {
        board_send(b);
        return;
    }
    s.pos = 0;
    run_packet(b);
}

static void block_request(uint8_t b) {
    if (b == KP_BLOCK_REQUEST || b == KP_BLOCK_REPEAT) {
        send_block(b);
    } else if (b == KP_STOP_BYTE) {
        finish();
    } else { /* the program has moved on: this byte opens its next packet */
        finish();
        packet_byte(b);
    }
}

void proto_byte(uint8_t b) {
    const uint32_t now = board_ms();
    const uint8_t midway = s.phase != BLOCK_READ && (s.phase != PACKET || s.pos > 0);
    if (midway && now - s.last_ms > QUIET_RESET_MS) proto_reset();
    s.last_ms = now;

    switch (s.phase) {
    case PACKET: packet_byte(b); break;
    case BLOCK_READ: block_request(b); break;
    case PROGRAM_DATA: /* raw bytes, not echoed */
        s.block[s.count++] = b;
        if (s.count == KP_BLOCK_SIZE) {
            s.count = 0;
            board_send(sum8(s.block, KP_BLOCK_SIZE));
            s.phase = PROGRAM_GO;
        }
        break;
    case PROGRAM_GO:
        if (b != KP_BLOCK_REQUEST) { /* the program gave up on the block: a new packet */
            finish();
            packet_byte(b);
            break;
        }
        board_send(b);
        board_send(burn_block());
        if (s.next < s.blocks)
            s.phase = PROGRAM_DATA;
        else
            finish();
        break;
    case FUSE_BYTES: /* echoed; the last one's echo says whether the chip took them */
        s.block[s.count++] = b;
        if (s.count < FUSE_COUNT) {
            board_send(b);
            break;
        }
        board_send(chip_write_fuses(s.block) == 0 ? b : (uint8_t)~b);
        finish();
        break;
    case SECURITY_BYTE:
        board_send(chip_lock(b) == 0 ? b : (uint8_t)~b);
        finish();
        break;
    }
}
