#ifndef KESTRO_PROTOCOL_PROTOCOL_H
#define KESTRO_PROTOCOL_PROTOCOL_H
/* The adapter's wire protocol in numbers: the command packet's layout, the command
 * bytes and the bytes with a fixed meaning. The program, the adapter double and the
 * open adapter's firmware all read them from here, so this header is plain C that a
 * C++ compiler takes as well. */

/* Byte 16 of the command packet: the operation the adapter is to run. */
enum {
    KP_CMD_READ_SIGNATURE = 53,    /* '5': checksum and three signature bytes follow */
    KP_CMD_HANDSHAKE = 92,         /* checksum, 8 capability bytes, 4 x 32 text bytes */
    KP_CMD_READ_PROGRAM = 168,     /* block transfer adapter -> program */
    KP_CMD_READ_DATA = 75,         /* 'K': the same from the data memory */
    KP_CMD_ERASE = 35,             /* '#': nothing follows */
    KP_CMD_PROGRAM_PROGRAM = 157,  /* block transfer program -> adapter */
    KP_CMD_PROGRAM_DATA = 200,     /* the same into the data memory */
    KP_CMD_PROGRAM_SECURITY = 134, /* one lock-mode (or reset-polarity) byte follows */
    KP_CMD_PROGRAM_FUSE = 18,      /* 4 or 32 fuse bytes follow, each echoed */
    KP_CMD_READ_FUSE = 232,        /* checksum, then 4 (or 32) fuse bytes */
    KP_CMD_HARDWARE_TEST = 100     /* pin pattern in packet bytes 4..9 */
};

enum {
    KP_PACKET_TERMINATOR = 117, /* last byte of every packet */
    KP_BLOCK_REQUEST = 108,     /* 'l': next block / burn this block */
    KP_BLOCK_REPEAT = 85,       /* 'U': the last block again */
    KP_STOP_BYTE = 250,         /* not echoed: stop the transfer or test */
    KP_BLOCK_DONE = 210,        /* block burnt */
    KP_BLOCK_FAILED = 167,      /* the chip failed (encoders) */
    KP_ADAPTER_VERSION = 29     /* capability byte 6 of a matching adapter */
};

enum {
    KP_PACKET_SIZE = 17,
    KP_BLOCK_SIZE = 128,       /* bytes per block of a transfer */
    KP_CAPABILITY_SIZE = 8,    /* bytes of the handshake's capability map */
    KP_CAPABILITY_VERSION = 6, /* the map byte that carries the version */
    KP_INFO_LINES = 4,
    KP_INFO_LINE_LENGTH = 32   /* each of the handshake's four adapter texts */
};

/* Positions in the 17-byte command packet (0-based; the adapter's byte numbers are
 * one higher). */
enum {
    KP_POS_FAMILY = 0,
    KP_POS_DEVICE = 1,
    KP_POS_VOLTAGE = 2,
    KP_POS_START0 = 3, /* start address bits 0-7 (also hardware-test port P0) */
    KP_POS_START1 = 4,
    KP_POS_START2 = 5,
    KP_POS_LAST_LENGTH = 6,
    KP_POS_TEST1 = 7,
    KP_POS_TEST2 = 8,
    KP_POS_COUNT_LOW = 9, /* block count - 1 */
    KP_POS_COUNT_HIGH = 10,
    KP_POS_SERIAL_A = 11, /* or the EPROM class */
    KP_POS_SERIAL_B = 12,
    KP_POS_SERIAL_C = 13,
    KP_POS_SERIAL_D = 14,
    KP_POS_COMMAND = 15,
    KP_POS_TERMINATOR = 16
};

#endif
