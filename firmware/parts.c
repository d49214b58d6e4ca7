#include "parts.h"

#include "board.h"

enum { F89 = 1, F90 = 2, FAVR = 3, F93 = 7, F24 = 8, F25 = 9, F59 = 10, FPCF = 15 };
/* The serial memories' rows leave the microcontroller's fields (data, fuse) zero. */
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

#define W PART_WORDS
#define A2 PART_ADDR2
#define NS PART_NO_STATUS
#define MCU PART_MCU
#define NE PART_NO_ECHO
#define PG PART_PAGED

/* Page sizes by size class, from the datasheets: smaller than the chip's own page is
 * safe, larger wraps inside the page and loses bytes. */
const struct fw_part fw_parts[] FW_FLASH = {
    /* in-system programmed at 5 V; the rest of these families want 12 V or a parallel
       programmer: refused */
    {3, F89, BUS_NONE, 0, 4096, 0, 0, 0},     /* AT89C51 */
    {4, F89, BUS_NONE, 0, 32768, 0, 0, 0},    /* AT89C51RC */
    {5, F89, BUS_NONE, 0, 8192, 0, 0, 0},     /* AT89LV52 */
    {6, F89, BUS_NONE, 0, 8192, 0, 0, 0},     /* AT89C52 */
    {7, F89, BUS_NONE, 0, 8192, 0, 0, 0},     /* TS87C52X2 */
    {8, F89, BUS_NONE, 0, 20480, 0, 0, 0},    /* AT89C55 */
    {9, F89, BUS_NONE, 0, 20480, 0, 0, 0},    /* AT89C55WD */
    {10, F89, BUS_AT89, 0, 4096, MCU, 0, FUSE_NONE},            /* AT89S51 */
    {11, F89, BUS_AT89, 0, 8192, MCU, 0, FUSE_NONE},            /* AT89S52 */
    {12, F89, BUS_AT89, 0, 12288, MCU | NE, 0, FUSE_FIXED},     /* AT89S53 */
    {13, F89, BUS_AT89, 0, 8192, MCU | NE, 2048, FUSE_FIXED},   /* AT89S8252 */
    {14, F90, BUS_AVR, 0, 1024, MCU | NE, 64, FUSE_FIXED},      /* AT90S1200 */
    {15, F90, BUS_AVR, 0, 2048, MCU, 128, FUSE_FIXED},          /* AT90S2313 */
    {16, FAVR, BUS_NONE, 0, 1024, 0, 0, 0},                     /* ATTINY11 */
    {17, FAVR, BUS_AVR, 0, 1024, MCU, 64, FUSE_TINY},           /* ATTINY12 */
    {18, FAVR, BUS_AVR, 0, 1024, MCU, 64, FUSE_TINY},           /* ATTINY15 */
    {19, FAVR, BUS_NONE, 0, 1024, 0, 0, 0},                     /* ATTINY12HV */
    {20, FAVR, BUS_NONE, 0, 1024, 0, 0, 0},                     /* ATTINY15HV */
    {21, FAVR, BUS_NONE, 0, 2048, 0, 0, 0},                     /* ATTINY28 */
    {22, FAVR, BUS_AVR, 0, 4096, MCU, 256, FUSE_NONE},          /* AT90S4414 */
    {23, FAVR, BUS_AVR, 0, 4096, MCU, 256, FUSE_TINY},          /* AT90S4433 */
    {24, FAVR, BUS_AVR, 0, 4096, MCU, 256, FUSE_FSTRT},         /* AT90S4434 */
    {25, FAVR, BUS_AVR, 0, 8192, MCU, 512, FUSE_NONE},          /* AT90S8515 */
    {26, FAVR, BUS_AVR, 0, 8192, MCU, 512, FUSE_FSTRT},         /* AT90S8535 */
    {27, FAVR, BUS_AVR, 64, 8192, MCU | PG, 512, FUSE_MEGA},    /* ATMEGA8515 */
    {28, FAVR, BUS_AVR, 64, 8192, MCU | PG, 512, FUSE_MEGA},    /* ATMEGA8535 */
    /* three-wire: 16-bit parts unless the program names the 8-bit organisation */
    {102, F93, BUS_MICROWIRE, 0, 32, W},    /* 93C06 */
    {103, F93, BUS_MICROWIRE, 0, 128, 0},   /* 93C46_8 */
    {104, F93, BUS_MICROWIRE, 0, 128, W},   /* 93C46_16 */
    {105, F93, BUS_MICROWIRE, 0, 128, W},   /* 93C46 */
    {106, F93, BUS_MICROWIRE, 0, 256, 0},   /* 93C56_8 */
    {107, F93, BUS_MICROWIRE, 0, 256, W},   /* 93C56_16 */
    {108, F93, BUS_MICROWIRE, 0, 256, W},   /* 93C56 */
    {109, F93, BUS_MICROWIRE, 0, 256, W},   /* 93C57 */
    {110, F93, BUS_MICROWIRE, 0, 512, W},   /* 93C66 */
    {111, F93, BUS_MICROWIRE, 0, 1024, W},  /* 93C76 */
    {112, F93, BUS_MICROWIRE, 0, 2048, W},  /* 93C86 */
    /* the configuration PROMs want a programming voltage and reset polarity the
       board does not have */
    {113, F24, BUS_NONE, 0, 8192, 0},       /* 17LV65 */
    {114, F24, BUS_NONE, 0, 8192, 0},       /* 17C65 */
    {115, F24, BUS_NONE, 0, 16384, 0},      /* 17LV128 */
    {116, F24, BUS_NONE, 0, 16384, 0},      /* 17C128 */
    {117, F24, BUS_NONE, 0, 32768, 0},      /* 17LV256 */
    {118, F24, BUS_NONE, 0, 32768, 0},      /* 17C256 */
    /* no device address byte on its bus: not a 24Cxx to the driver */
    {119, F24, BUS_NONE, 0, 16, 0},         /* X24C00 */
    {120, F24, BUS_I2C, 8, 128, 0},         /* 24C01A */
    {121, F24, BUS_I2C, 8, 256, 0},         /* 24C02 */
    {122, F24, BUS_I2C, 16, 512, 0},        /* 24C04 */
    {123, F24, BUS_I2C, 16, 1024, 0},       /* 24C08 */
    {124, F24, BUS_I2C, 16, 2048, 0},       /* 24C16 */
    {125, F24, BUS_I2C, 16, 2048, PART_CASCADE}, /* 24C164 */
    {126, F24, BUS_I2C, 32, 4096, A2},      /* 24C32 */
    {127, F24, BUS_I2C, 32, 8192, A2},      /* 24C64 */
    {128, F24, BUS_I2C, 64, 16384, A2},     /* 24C128 */
    {129, F24, BUS_I2C, 64, 32768, A2},     /* 24C256 */
    {130, F25, BUS_SPI, 16, 128, 0},        /* 25C010 */
    {131, F25, BUS_SPI, 16, 256, 0},        /* 25C020 */
    {132, F25, BUS_SPI, 16, 512, 0},        /* 25C040: A8 in the instruction */
    {133, F25, BUS_SPI, 16, 2048, A2},      /* 25C160 */
    {134, F25, BUS_SPI, 32, 4096, A2},      /* 25C320 */
    {135, F25, BUS_SPI, 32, 8192, A2},      /* 25C640 */
    {136, F59, BUS_MICROWIRE, 0, 128, W | NS},   /* 59C11 */
    {137, F59, BUS_MICROWIRE, 0, 256, W | NS},   /* 59C22 */
    {138, F59, BUS_MICROWIRE, 0, 512, W | NS},   /* 59C13 */
    {144, FPCF, BUS_I2C, 8, 256, PART_SLOW}, /* PCF8582 */
};
const uint8_t fw_part_count = sizeof fw_parts / sizeof fw_parts[0];

uint8_t fw_find_part(uint8_t device, struct fw_part* part) {
    for (uint8_t i = 0; i < fw_part_count; ++i) {
        if (fw_flash_byte(&fw_parts[i].device) != device) continue;
        fw_flash_copy(part, &fw_parts[i], sizeof *part);
        return 1;
    }
    return 0;
}
