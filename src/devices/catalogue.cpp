#include "devices/catalogue.h"

#include "devices/device_state.h"

#include <iterator>

namespace kestro {
namespace {

using F = Family;
using M = DeviceMenu;
using L = FuseLayoutId;
using S = SerialSet;
using enum VariantMatch;
using namespace chip;
constexpr PicCore C12 = PicCore::Core12;
constexpr PicCore C14 = PicCore::Core14;
constexpr PicCore P18 = PicCore::Pic18;

// One row per chip type, in menu index order, and the unknown row last. Columns: name,
// family, program and data size, voltage, EPROM class, socket picture; menu, Process
// commands offered, fuse layout, serial instruction set; then the signatures a real
// chip reports, the first probe, the flags and the quirks.
// clang-format off
constexpr CatalogueRow kRows[] = {
    {"AT89C1051", F::Flash8051Pin20, 1024, 0, 12, 0, 0, M::AT89xxx, "11111100110", L::Lock3, S::None, // 0
     {{0x1E, 0x11, Any}}, 0, Mcu | Handler | NoSerialAdapter, {.strongestLockEntry = 2, .strongestLockMode = 3}},
    {"AT89C2051", F::Flash8051Pin20, 2048, 0, 12, 0, 0, M::AT89xxx, "11111100110", L::Lock3, S::None, // 1
     {{0x1E, 0x21, Any}}, 0, Mcu | Handler | NoSerialAdapter, {.strongestLockEntry = 2, .strongestLockMode = 3}},
    {"AT89C4051", F::Flash8051Pin20, 4096, 0, 12, 0, 0, M::AT89xxx, "11111100110", L::Lock3, S::None, // 2
     {{0x1E, 0x41, Any}}, 0, Mcu | Handler | NoSerialAdapter, {.strongestLockEntry = 2, .strongestLockMode = 3}},
    {"AT89C51", F::Flash8051Pin40, 4096, 0, 12, 0, 1, M::AT89xxx, "11111100110", L::Lock4, S::None, // 3
     {{0x1E, 0x51, Other}}, 3, Mcu | Handler | NoSerialAdapter, {.strongestLockEntry = 3, .strongestLockMode = 7}},
    {"AT89C51RC", F::Flash8051Pin40, 32768, 0, 12, 0, 1, M::AT89xxx, "11111100110", L::Lock4, S::None, // 4
     {{0x1E, 0x51, Exactly, 0x07}}, 3, Mcu | Handler | MenuOff | NoSerialAdapter, {.extraErasePackets = 1, .strongestLockEntry = 3, .strongestLockMode = 7}},
    {"AT89LV52", F::Flash8051Pin40, 8192, 0, 12, 0, 1, M::AT89xxx, "11111100110", L::Lock4, S::None, // 5
     {{0x1E, 0x62, Any}}, 3, Mcu | Handler | NoSerialAdapter, {.strongestLockEntry = 3, .strongestLockMode = 7}},
    {"AT89C52", F::Flash8051Pin40, 8192, 0, 12, 0, 1, M::AT89xxx, "11111100110", L::Lock4, S::None, // 6
     {{0x1E, 0x52, Any}}, 3, Mcu | Handler | NoSerialAdapter, {.strongestLockEntry = 3, .strongestLockMode = 7}},
    {"TS87C52X2", F::Flash8051Pin40, 8192, 0, 12, 0, 1, M::AT89xxx, "01011100000", L::Lock4, S::None, // 7
     {}, -1, Mcu | Handler | NoSerialAdapter, {.strongestLockEntry = 3, .strongestLockMode = 7}},
    {"AT89C55", F::Flash8051Pin40, 20480, 0, 12, 0, 1, M::AT89xxx, "11111100110", L::Lock4, S::None, // 8
     {{0x1E, 0x55, Other}}, 3, Mcu | Handler | NoSerialAdapter, {.strongestLockEntry = 3, .strongestLockMode = 7}},
    {"AT89C55WD", F::Flash8051Pin40, 20480, 0, 12, 0, 1, M::AT89xxx, "11111100110", L::Lock4, S::None, // 9
     {{0x1E, 0x55, Exactly, 0x06}}, 9, Mcu | Handler | NoSerialAdapter, {.extraErasePackets = 1, .strongestLockEntry = 3, .strongestLockMode = 7}},
    {"AT89S51", F::Flash8051Pin40, 4096, 0, 5, 0, 1, M::AT89xxx, "01111100110", L::Lock4, S::None, // 10
     {}, -1, Mcu | Handler, {.strongestLockEntry = 3, .strongestLockMode = 7}},
    {"AT89S52", F::Flash8051Pin40, 8192, 0, 5, 0, 1, M::AT89xxx, "01111100110", L::Lock4, S::None, // 11
     {}, -1, Mcu | Handler, {.strongestLockEntry = 3, .strongestLockMode = 7}},
    {"AT89S53", F::Flash8051Pin40, 12288, 0, 12, 0, 1, M::AT89xxx, "11111111110", L::At89s, S::None, // 12
     {{0x1E, 0x53, Any}}, 12, Mcu | FuseFile | Handler | SerialNoSignature | SerialNoFuses, {.strongestLockEntry = 3, .strongestLockMode = 7, .fuseReadInverted = 0x01}},
    {"AT89S8252", F::Flash8051Pin40, 8192, 2048, 12, 0, 1, M::AT89xxx, "11111111110", L::At89s, S::None, // 13
     {{0x1E, 0x72, Any}}, 12, Mcu | FuseFile | Handler | SerialNoSignature | SerialNoFuses, {.strongestLockEntry = 3, .strongestLockMode = 7, .fuseReadInverted = 0x01}},
    {"AT90S1200", F::At90s, 1024, 64, 12, 0, 0, M::AT90xxx, "11111111110", L::At90s, S::None, // 14
     {{0x1E, 0x90, Other}}, 14, Mcu | FuseFile | Handler | SerialNoFuses, {.strongestLockEntry = 2, .strongestLockMode = 3, .fuseReadInverted = 0x21}},
    {"AT90S2313", F::At90s, 2048, 128, 12, 0, 0, M::AT90xxx, "11111111110", L::At90s, S::None, // 15
     {{0x1E, 0x91, Exactly, 0x01}}, 14, Mcu | FuseFile | Handler | SerialNoFuses, {.strongestLockEntry = 2, .strongestLockMode = 3, .fuseReadInverted = 0x21}},
    {"ATTINY11", F::Avr, 1024, 0, 5, 0, 2, M::AT90xxx, "11111111110", L::Tiny11, S::None, // 16
     {{0x1E, 0x90, Exactly, 0x04}}, 16, Mcu | FuseFile | Handler | NoSerialAdapter, {.strongestLockEntry = 2, .strongestLockMode = 3, .elfFuseSlot = {0, -1, -1}}},
    {"ATTINY12", F::Avr, 1024, 64, 5, 0, 2, M::AT90xxx, "11111111110", L::Tiny12, S::None, // 17
     {{0x1E, 0x90, Exactly, 0x05}}, 17, Mcu | FuseFile | Handler, {.strongestLockEntry = 2, .strongestLockMode = 3, .elfFuseSlot = {0, -1, -1}}},
    {"ATTINY15", F::Avr, 1024, 64, 5, 0, 2, M::AT90xxx, "11111111110", L::Tiny15, S::None, // 18
     {{0x1E, 0x90, Exactly, 0x06}}, 17, Mcu | FuseFile | Handler, {.strongestLockEntry = 2, .strongestLockMode = 3, .elfFuseSlot = {0, -1, -1}}},
    {"ATTINY12HV", F::Avr, 1024, 64, 5, 0, 2, M::AT90xxx, "11111111110", L::Tiny12, S::None, // 19
     {}, 16, Mcu | FuseFile | Handler, {.signatureTwin = 17, .strongestLockEntry = 2, .strongestLockMode = 3, .elfFuseSlot = {0, -1, -1}}},
    {"ATTINY15HV", F::Avr, 1024, 64, 5, 0, 2, M::AT90xxx, "11111111110", L::Tiny15, S::None, // 20
     {}, 20, Mcu | FuseFile | Handler, {.signatureTwin = 18, .strongestLockEntry = 2, .strongestLockMode = 3, .elfFuseSlot = {0, -1, -1}}},
    {"ATTINY28", F::Avr, 2048, 0, 5, 0, 6, M::AT90xxx, "11111111110", L::Tiny28, S::None, // 21
     {{0x1E, 0x91, Exactly, 0x07}}, 21, Mcu | FuseFile | Handler | NoSerialAdapter, {.strongestLockEntry = 2, .strongestLockMode = 3, .elfFuseSlot = {0, -1, -1}}},
    {"AT90S4414", F::Avr, 4096, 256, 5, 0, 1, M::AT90xxx, "11111100110", L::Lock3, S::None, // 22
     {{0x1E, 0x92, Exactly, 0x01}}, 22, Mcu | Handler, {.strongestLockEntry = 2, .strongestLockMode = 3}},
    {"AT90S4433", F::Avr, 4096, 256, 5, 0, 2, M::None, "11111111110", L::None, S::None, // 23
     {{0x1E, 0x92, Exactly, 0x03}}, 22, Mcu | Handler, {.strongestLockEntry = 2, .strongestLockMode = 3}},
    {"AT90S4434", F::Avr, 4096, 256, 5, 0, 2, M::None, "11111111110", L::None, S::None, // 24
     {{0x1E, 0x92, Exactly, 0x02}}, 22, Mcu | Handler, {.strongestLockEntry = 2, .strongestLockMode = 3}},
    {"AT90S8515", F::Avr, 8192, 512, 5, 0, 1, M::AT90xxx, "11111100110", L::Lock3, S::None, // 25
     {{0x1E, 0x93, Exactly, 0x01}}, 22, Mcu | Handler, {.strongestLockEntry = 2, .strongestLockMode = 3}},
    {"AT90S8535", F::Avr, 8192, 512, 5, 0, 1, M::None, "11111111110", L::None, S::None, // 26
     {{0x1E, 0x93, Exactly, 0x03}}, 22, Mcu | Handler, {}},
    {"ATMEGA8515", F::Avr, 8192, 512, 5, 0, 1, M::AT90xxx, "11111111110", L::Mega, S::None, // 27
     {{0x1E, 0x93, Exactly, 0x06}}, 22, Mcu | FuseFile | Handler, {.elfFuseSlot = {0, 1, -1}}},
    {"ATMEGA8535", F::Avr, 8192, 512, 5, 0, 1, M::AT90xxx, "11111111110", L::Mega, S::None, // 28
     {{0x1E, 0x93, Exactly, 0x08}}, 22, Mcu | FuseFile | Handler, {.elfFuseSlot = {0, 1, -1}}},
    {"W78(L)E51", F::W78E5x, 4096, 0, 12, 0, 1, M::Winbond, "01111100110", L::W78, S::None, // 29
     {}, -1, Mcu | Handler | ExtSocket, {}},
    {"W78(L)E52", F::W78E5x, 8192, 0, 12, 0, 1, M::Winbond, "01111100110", L::W78, S::None, // 30
     {}, -1, Mcu | Handler | ExtSocket, {}},
    {"W78(L)E54", F::W78E5x, 16384, 0, 12, 0, 1, M::Winbond, "01111100110", L::W78, S::None, // 31
     {}, -1, Mcu | Handler | ExtSocket, {}},
    {"DS5000", F::Ds5000, 8192, 0, 12, 0, 1, M::Dallas, "01011100000", L::None, S::None, // 32
     {}, -1, Mcu | Handler | NoSerialAdapter, {}},
    {"TMP47P443", F::Eprom8Bit, 4096, 0, 12, 1, 8, M::Toshiba, "01011000000", L::None, S::None, // 33
     {}, -1, Mcu | Handler | NoSerialAdapter | ExtSocket, {}},
    {"I8748", F::I8748, 1024, 0, 21, 0, 1, M::N87Cxxx, "01011000000", L::None, S::None, // 34
     {}, -1, Mcu | Handler | NoSerialAdapter, {}},
    {"I8749", F::I8748, 2048, 0, 21, 0, 1, M::N87Cxxx, "01011000000", L::None, S::None, // 35
     {}, -1, Mcu | Handler | NoSerialAdapter, {}},
    {"I8751BH", F::Eprom87C5x, 4096, 0, 12, 0, 1, M::None, "01011100000", L::None, S::None, // 36
     {}, -1, Mcu | NoSerialAdapter, {}},
    {"I8752BH", F::Eprom87C5x, 4096, 0, 12, 0, 1, M::None, "01011100000", L::None, S::None, // 37
     {}, -1, Mcu | NoSerialAdapter, {}},
    {"I87C51", F::Eprom87C5x, 4096, 0, 12, 0, 1, M::None, "11011100000", L::None, S::None, // 38
     {{0x89, 0x57, Any}, {0x89, 0x58, Exactly, 0x51}}, 38, Mcu | NoSerialAdapter, {}},
    {"I87C52", F::Eprom87C5x, 8192, 0, 12, 0, 1, M::None, "11011100000", L::None, S::None, // 39
     {{0x89, 0x58, Exactly, 0x52}}, 38, Mcu | NoSerialAdapter, {}},
    {"I87C54", F::Eprom87C5x, 16384, 0, 12, 0, 1, M::None, "11011100000", L::None, S::None, // 40
     {{0x89, 0x58, Exactly, 0x54}}, 38, Mcu | NoSerialAdapter, {}},
    {"I87C51RA", F::Eprom87C5x, 4096, 0, 12, 0, 1, M::None, "11011100000", L::None, S::None, // 41
     {{0x89, 0x58, Exactly, 0xC0}, {0x89, 0x58, Exactly, 0xFA}}, 38, Mcu | NoSerialAdapter, {}},
    {"I87C51RB", F::Eprom87C5x, 4096, 0, 12, 0, 1, M::None, "11011100000", L::None, S::None, // 42
     {{0x89, 0x58, Exactly, 0xC1}, {0x89, 0x58, Exactly, 0xFB}}, 38, Mcu | NoSerialAdapter, {}},
    {"SC87C51", F::Otp87C5x, 4096, 0, 12, 0, 1, M::None, "11011100000", L::None, S::None, // 43
     {{0x15, 0x92, Any}}, 43, Mcu | NoSerialAdapter, {}},
    {"P87C52", F::Otp87C5x, 8192, 0, 12, 0, 1, M::None, "11011100000", L::None, S::None, // 44
     {{0x15, 0x97, Any}}, 43, Mcu | NoSerialAdapter, {}},
    {"P87C54", F::Otp87C5x, 16384, 0, 12, 0, 1, M::None, "11011100000", L::None, S::None, // 45
     {{0x15, 0xBB, Any}}, 43, Mcu | NoSerialAdapter, {}},
    {"PIC12C508", F::Pic, 1024, 0, 12, 0, 3, M::PIC12Cxxx, "01011011000", L::Pic12c5, S::None, // 46
     {}, -1, Mcu | LastWordKept | Handler, {.picCore = C12}},
    {"PIC12C509", F::Pic, 2048, 0, 12, 0, 3, M::PIC12Cxxx, "01011011000", L::Pic12c5, S::None, // 47
     {}, -1, Mcu | LastWordKept | Handler, {.picCore = C12}},
    {"PIC12C671", F::Pic, 2048, 0, 12, 0, 3, M::PIC12Cxxx, "01011011000", L::Pic12c67, S::None, // 48
     {}, -1, Mcu | LastWordKept | Handler, {.picCore = C14}},
    {"PIC12C672", F::Pic, 4096, 0, 12, 0, 3, M::PIC12Cxxx, "01011011000", L::Pic12c67, S::None, // 49
     {}, -1, Mcu | LastWordKept | Handler, {.picCore = C14}},
    {"PIC16C54A", F::Pic, 1024, 0, 12, 0, 5, M::PIC16Cxxx, "01011011000", L::Pic16c5x, S::None, // 50
     {}, -1, Mcu | Handler | NoSerialAdapter, {.picCore = C12}},
    {"PIC16C54B", F::Pic, 1024, 0, 12, 0, 5, M::PIC16Cxxx, "01011011000", L::Pic16c5x, S::None, // 51
     {}, -1, Mcu | Handler | NoSerialAdapter, {.picCore = C12}},
    {"PIC16C54C", F::Pic, 1024, 0, 12, 0, 5, M::PIC16Cxxx, "01011011000", L::Pic16c5x, S::None, // 52
     {}, -1, Mcu | Handler | NoSerialAdapter, {.picCore = C12}},
    {"PIC16C55A", F::Pic, 1024, 0, 12, 0, 1, M::PIC16Cxxx, "01011011000", L::Pic16c5x, S::None, // 53
     {}, -1, Mcu | Handler | NoSerialAdapter | ExtSocketOn5, {.picCore = C12}},
    {"PIC16C56", F::Pic, 2048, 0, 12, 0, 5, M::PIC16Cxxx, "01011011000", L::Pic16c5x, S::None, // 54
     {}, -1, Mcu | Handler | NoSerialAdapter, {.picCore = C12}},
    {"PIC16C57C", F::Pic, 4096, 0, 12, 0, 1, M::PIC16Cxxx, "01011011000", L::Pic16c5x, S::None, // 55
     {}, -1, Mcu | Handler | NoSerialAdapter | ExtSocketOn5, {.picCore = C12}},
    {"PIC16F57", F::Pic, 4096, 0, 12, 0, 1, M::PIC16Cxxx, "01111011100", L::Pic16c5x, S::None, // 56
     {}, -1, Mcu | Handler | NoSerialAdapter | ExtSocketOn5, {.picCore = C12}},
    {"PIC16C58B", F::Pic, 4096, 0, 12, 0, 5, M::PIC16Cxxx, "01011011000", L::Pic16c5x, S::None, // 57
     {}, -1, Mcu | Handler | NoSerialAdapter, {.picCore = C12}},
    {"PIC16C505", F::Pic, 2048, 0, 12, 0, 5, M::PIC16Cxxx, "01011011000", L::Pic16c505, S::None, // 58
     {}, -1, Mcu | Handler, {.picCore = C12}},
    {"PIC16CE625", F::Pic, 4096, 0, 12, 0, 5, M::PIC16Cxxx, "01011011000", L::Pic16c62x, S::None, // 59
     {}, -1, Mcu | Handler, {.picCore = C14}},
    {"PIC16C711", F::Pic, 2048, 0, 12, 0, 5, M::PIC16Cxxx, "01011011000", L::Pic16c62x, S::None, // 60
     {}, -1, Mcu | Handler, {.picCore = C14}},
    {"PIC16C715", F::Pic, 4096, 0, 12, 0, 5, M::PIC16Cxxx, "01011011000", L::Pic16c62x, S::None, // 61
     {}, -1, Mcu | Handler, {.picCore = C14}},
    {"PIC16C71", F::Pic, 2048, 0, 12, 0, 5, M::PIC16Cxxx, "01011011000", L::Pic16c84, S::None, // 62
     {}, -1, Mcu | Handler, {.picCore = C14, .itemName = "PIC16C71N"}},
    {"PIC16C84", F::Pic, 2048, 64, 12, 0, 5, M::PIC16Cxxx, "01111011100", L::Pic16c84, S::None, // 63
     {}, -1, Mcu | Handler, {.picCore = C14}},
    {"PIC12F629", F::Pic, 2048, 128, 12, 0, 3, M::PIC12Fxxx, "01101011100", L::Pic12f6xx, S::None, // 64
     {}, -1, Mcu | Handler, {.picCore = C14}},
    {"PIC12F675", F::Pic, 2048, 128, 12, 0, 3, M::PIC12Fxxx, "01101011100", L::Pic12f6xx, S::None, // 65
     {}, -1, Mcu | Handler, {.picCore = C14}},
    {"PIC16F630", F::Pic, 2048, 128, 12, 0, 10, M::PIC12Fxxx, "01101011100", L::Pic12f6xx, S::None, // 66
     {}, -1, Mcu | Handler, {.picCore = C14}},
    {"PIC16F676", F::Pic, 2048, 128, 12, 0, 10, M::PIC12Fxxx, "01101011100", L::Pic12f6xx, S::None, // 67
     {}, -1, Mcu | Handler, {.picCore = C14}},
    {"PIC16F84", F::Pic, 2048, 64, 12, 0, 5, M::PIC16Fxxx, "01111011100", L::Pic16c84, S::None, // 68
     {}, -1, Mcu | Handler, {.picCore = C14}},
    {"PIC16F627", F::Pic, 2048, 128, 12, 0, 5, M::PIC16Fxxx, "01111011100", L::Pic16f62x, S::None, // 69
     {}, -1, Mcu | Handler, {.picCore = C14}},
    {"PIC16F628", F::Pic, 4096, 128, 12, 0, 5, M::PIC16Fxxx, "01111011100", L::Pic16f62x, S::None, // 70
     {}, -1, Mcu | Handler, {.picCore = C14}},
    {"PIC16F627A", F::Pic, 2048, 128, 12, 0, 5, M::PIC16Fxxx, "01111011100", L::Pic16f62x, S::None, // 71
     {}, -1, Mcu | Handler, {.picCore = C14}},
    {"PIC16F628A", F::Pic, 4096, 128, 12, 0, 5, M::PIC16Fxxx, "01111011100", L::Pic16f62x, S::None, // 72
     {}, -1, Mcu | Handler, {.picCore = C14}},
    {"PIC16F648A", F::Pic, 8192, 256, 12, 0, 5, M::PIC16Fxxx, "01111011100", L::Pic16f62x, S::None, // 73
     {}, -1, Mcu | Handler, {.picCore = C14}},
    {"PIC16F72", F::Pic, 4096, 0, 12, 0, 6, M::PIC16Fxxx, "01101011100", L::Pic16f7x, S::None, // 74
     {}, -1, Mcu | Handler, {.picCore = C14}},
    {"PIC16F73", F::Pic, 8192, 0, 12, 0, 6, M::PIC16Fxxx, "01101011100", L::Pic16f7x, S::None, // 75
     {}, -1, Mcu | Handler, {.picCore = C14}},
    {"PIC16F74", F::Pic, 8192, 0, 12, 0, 6, M::PIC16Fxxx, "01101011100", L::Pic16f7x, S::None, // 76
     {}, -1, Mcu | Handler, {.picCore = C14}},
    {"PIC16F76", F::Pic, 16384, 0, 12, 0, 6, M::PIC16Fxxx, "01101011100", L::Pic16f7x, S::None, // 77
     {}, -1, Mcu | Handler, {.picCore = C14}},
    {"PIC16F77", F::Pic, 16384, 0, 12, 0, 6, M::PIC16Fxxx, "01101011100", L::Pic16f7x, S::None, // 78
     {}, -1, Mcu | Handler, {.picCore = C14}},
    {"PIC16F818", F::Pic, 2048, 128, 12, 0, 5, M::PIC16Fxxx, "01101011100", L::Pic16f81x, S::None, // 79
     {}, -1, Mcu | Handler, {.picCore = C14}},
    {"PIC16F819", F::Pic, 4096, 256, 12, 0, 5, M::PIC16Fxxx, "01101011100", L::Pic16f81x, S::None, // 80
     {}, -1, Mcu | Handler, {.picCore = C14}},
    {"PIC16F870", F::Pic, 4096, 64, 12, 0, 6, M::PIC16F87x, "01111011100", L::Pic16f87x, S::None, // 81
     {}, -1, Mcu | Handler, {.picCore = C14}},
    {"PIC16F871", F::Pic, 4096, 64, 12, 0, 1, M::PIC16F87x, "01111011100", L::Pic16f87x, S::None, // 82
     {}, -1, Mcu | Handler, {.picCore = C14}},
    {"PIC16F872", F::Pic, 4096, 64, 12, 0, 6, M::PIC16F87x, "01111011100", L::Pic16f87x, S::None, // 83
     {}, -1, Mcu | Handler, {.picCore = C14}},
    {"PIC16F873", F::Pic, 8192, 128, 12, 0, 6, M::PIC16F87x, "01111011100", L::Pic16f87x, S::None, // 84
     {}, -1, Mcu | Handler, {.picCore = C14}},
    {"PIC16F874", F::Pic, 8192, 128, 12, 0, 1, M::PIC16F87x, "01111011100", L::Pic16f87x, S::None, // 85
     {}, -1, Mcu | Handler, {.picCore = C14}},
    {"PIC16F876", F::Pic, 16384, 256, 12, 0, 6, M::PIC16F87x, "01111011100", L::Pic16f87x, S::None, // 86
     {}, -1, Mcu | Handler, {.picCore = C14}},
    {"PIC16F877", F::Pic, 16384, 256, 12, 0, 1, M::PIC16F87x, "01111011100", L::Pic16f87x, S::None, // 87
     {}, -1, Mcu | Handler, {.picCore = C14}},
    {"PIC16F873A", F::Pic, 8192, 128, 12, 0, 6, M::PIC16F87x, "01111011100", L::Pic16f87xa, S::None, // 88
     {}, -1, Mcu | Handler, {.picCore = C14}},
    {"PIC16F874A", F::Pic, 8192, 128, 12, 0, 1, M::PIC16F87x, "01111011100", L::Pic16f87xa, S::None, // 89
     {}, -1, Mcu | Handler, {.picCore = C14}},
    {"PIC16F876A", F::Pic, 16384, 256, 12, 0, 6, M::PIC16F87x, "01111011100", L::Pic16f87xa, S::None, // 90
     {}, -1, Mcu | Handler, {.picCore = C14}},
    {"PIC16F877A", F::Pic, 16384, 256, 12, 0, 1, M::PIC16F87x, "01111011100", L::Pic16f87xa, S::None, // 91
     {}, -1, Mcu | Handler, {.picCore = C14}},
    {"PIC18F242", F::Pic, 16384, 256, 12, 0, 6, M::PIC18Fxxx, "01111011100", L::Pic18, S::None, // 92
     {}, -1, Mcu | Handler, {.picCore = P18}},
    {"PIC18F248", F::Pic, 16384, 256, 12, 0, 6, M::PIC18Fxxx, "01111011100", L::Pic18, S::None, // 93
     {}, -1, Mcu | Handler, {.picCore = P18}},
    {"PIC18F252", F::Pic, 32768, 256, 12, 0, 6, M::PIC18Fxxx, "01111011100", L::Pic18, S::None, // 94
     {}, -1, Mcu | Handler, {.picCore = P18}},
    {"PIC18F258", F::Pic, 32768, 256, 12, 0, 6, M::PIC18Fxxx, "01111011100", L::Pic18, S::None, // 95
     {}, -1, Mcu | Handler, {.picCore = P18}},
    {"PIC18F442", F::Pic, 16384, 256, 12, 0, 1, M::PIC18Fxxx, "01111011100", L::Pic18, S::None, // 96
     {}, -1, Mcu | Handler, {.picCore = P18}},
    {"PIC18F448", F::Pic, 16384, 256, 12, 0, 1, M::PIC18Fxxx, "01111011100", L::Pic18, S::None, // 97
     {}, -1, Mcu | Handler, {.picCore = P18}},
    {"PIC18F452", F::Pic, 32768, 256, 12, 0, 1, M::PIC18Fxxx, "01111011100", L::Pic18, S::None, // 98
     {}, -1, Mcu | Handler, {.picCore = P18}},
    {"PIC18F458", F::Pic, 32768, 256, 12, 0, 1, M::PIC18Fxxx, "01111011100", L::Pic18, S::None, // 99
     {}, -1, Mcu | Handler, {.picCore = P18}},
    {"PIC18F6620", F::Pic, 65536, 1024, 12, 0, 13, M::PIC18Fxxx, "01111011100", L::Pic18, S::None, // 100
     {}, -1, Mcu | Handler, {.picCore = P18}},
    {"PIC18F6680", F::Pic, 65536, 1024, 12, 0, 13, M::PIC18Fxxx, "01111011100", L::Pic18, S::None, // 101
     {}, -1, Mcu | Handler, {.picCore = P18}},
    {"93C06", F::ThreeWireEeprom, 0, 32, 5, 0, 2, M::N93xxx, "01111000100", L::None, S::As93C06, // 102
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"93C46_8", F::ThreeWireEeprom, 0, 128, 5, 0, 2, M::N93xxx, "01111000100", L::None, S::As93C46x8, // 103
     {}, -1, Marker | ByteWide | Handler | NoSerialAdapter, {}},
    {"93C46_16", F::ThreeWireEeprom, 0, 128, 5, 0, 2, M::N93xxx, "01111000100", L::None, S::As93C06, // 104
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"93C46", F::ThreeWireEeprom, 0, 128, 5, 0, 2, M::N93xxx, "01111000100", L::None, S::As93C06, // 105
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"93C56_8", F::ThreeWireEeprom, 0, 256, 5, 0, 2, M::N93xxx, "01111000100", L::None, S::As93C56x8, // 106
     {}, -1, Marker | ByteWide | Handler | NoSerialAdapter, {}},
    {"93C56_16", F::ThreeWireEeprom, 0, 256, 5, 0, 2, M::N93xxx, "01111000100", L::None, S::As93C56x16, // 107
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"93C56", F::ThreeWireEeprom, 0, 256, 5, 0, 2, M::N93xxx, "01111000100", L::None, S::As93C56x16, // 108
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"93C57", F::ThreeWireEeprom, 0, 256, 5, 0, 2, M::N93xxx, "01111000100", L::None, S::As93C46x8, // 109
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"93C66", F::ThreeWireEeprom, 0, 512, 5, 0, 2, M::N93xxx, "01111000100", L::None, S::As93C56x16, // 110
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"93C76", F::ThreeWireEeprom, 0, 1024, 5, 0, 2, M::N93xxx, "01111000100", L::None, S::As93C76, // 111
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"93C86", F::ThreeWireEeprom, 0, 2048, 5, 0, 2, M::N93xxx, "01111000100", L::None, S::As93C76, // 112
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"17LV65", F::TwoWireEeprom, 0, 8192, 5, 0, 2, M::N17xxx, "11111000000", L::None, S::None, // 113
     {}, -1, Marker | CfgProm | Handler | NoSerialAdapter, {.itemName = "N17LV641"}},
    {"17C65", F::TwoWireEeprom, 0, 8192, 5, 0, 2, M::N17xxx, "11111000000", L::None, S::None, // 114
     {}, -1, Marker | CfgProm | Handler | NoSerialAdapter, {.itemName = "N17C641"}},
    {"17LV128", F::TwoWireEeprom, 0, 16384, 5, 0, 2, M::N17xxx, "11111000000", L::None, S::None, // 115
     {}, -1, Marker | CfgProm | Handler | MenuOff | NoSerialAdapter, {}},
    {"17C128", F::TwoWireEeprom, 0, 16384, 5, 0, 2, M::N17xxx, "11111000000", L::None, S::None, // 116
     {}, -1, Marker | CfgProm | Handler | MenuOff | NoSerialAdapter, {}},
    {"17LV256", F::TwoWireEeprom, 0, 32768, 5, 0, 2, M::N17xxx, "11111000000", L::None, S::None, // 117
     {}, -1, Marker | CfgProm | Handler | MenuOff | NoSerialAdapter, {}},
    {"17C256", F::TwoWireEeprom, 0, 32768, 5, 0, 2, M::N17xxx, "11111000000", L::None, S::None, // 118
     {}, -1, Marker | CfgProm | Handler | MenuOff | NoSerialAdapter, {}},
    {"X24C00", F::TwoWireEeprom, 0, 16, 5, 0, 2, M::N24xxx, "01011000000", L::None, S::None, // 119
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"24C01A", F::TwoWireEeprom, 0, 128, 5, 0, 2, M::N24xxx, "01011000000", L::None, S::None, // 120
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"24C02", F::TwoWireEeprom, 0, 256, 5, 0, 2, M::N24xxx, "01011000000", L::None, S::None, // 121
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"24C04", F::TwoWireEeprom, 0, 512, 5, 0, 2, M::N24xxx, "01011000000", L::None, S::None, // 122
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"24C08", F::TwoWireEeprom, 0, 1024, 5, 0, 2, M::N24xxx, "01011000000", L::None, S::None, // 123
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"24C16", F::TwoWireEeprom, 0, 2048, 5, 0, 2, M::N24xxx, "01011000000", L::None, S::None, // 124
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"24C164", F::TwoWireEeprom, 0, 2048, 5, 0, 2, M::N24xxx, "01011000000", L::None, S::None, // 125
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"24C32", F::TwoWireEeprom, 0, 4096, 5, 0, 2, M::N24xxx, "01011000000", L::None, S::None, // 126
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"24C64", F::TwoWireEeprom, 0, 8192, 5, 0, 2, M::N24xxx, "01011000000", L::None, S::None, // 127
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"24C128", F::TwoWireEeprom, 0, 16384, 5, 0, 2, M::N24xxx, "01011000000", L::None, S::None, // 128
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"24C256", F::TwoWireEeprom, 0, 32768, 5, 0, 2, M::N24xxx, "01011000000", L::None, S::None, // 129
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"25C010", F::SpiEeprom, 0, 128, 5, 0, 2, M::N25xxx, "01011000000", L::None, S::As25C010, // 130
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"25C020", F::SpiEeprom, 0, 256, 5, 0, 2, M::N25xxx, "01011000000", L::None, S::As25C010, // 131
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"25C040", F::SpiEeprom, 0, 512, 5, 0, 2, M::N25xxx, "01011000000", L::None, S::As25C010, // 132
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"25C160", F::SpiEeprom, 0, 2048, 5, 0, 2, M::N25xxx, "01011000000", L::None, S::As25C160, // 133
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"25C320", F::SpiEeprom, 0, 4096, 5, 0, 2, M::N25xxx, "01011000000", L::None, S::As25C160, // 134
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"25C640", F::SpiEeprom, 0, 8192, 5, 0, 2, M::N25xxx, "01011000000", L::None, S::As25C160, // 135
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"59C11", F::Eeprom59Cxx, 0, 128, 5, 0, 2, M::N59xxx, "01111000100", L::None, S::As93C56x16, // 136
     {}, -1, Marker | Handler | NoSerialAdapter, {.servedThrough = 104}},
    {"59C22", F::Eeprom59Cxx, 0, 256, 5, 0, 2, M::N59xxx, "01111000100", L::None, S::As93C56x8, // 137
     {}, -1, Marker | Handler | NoSerialAdapter, {.servedThrough = 104}},
    {"59C13", F::Eeprom59Cxx, 0, 512, 5, 0, 2, M::N59xxx, "01111000100", L::None, S::As93C76, // 138
     {}, -1, Marker | Handler | NoSerialAdapter, {.servedThrough = 104}},
    {"SDA2506", F::Sda25xx, 0, 128, 5, 0, 2, M::SDA25xx, "01011000000", L::None, S::None, // 139
     {}, -1, Marker | Handler | NoSerialAdapter, {.servedThrough = 121}},
    {"SDA2516", F::Sda25xx, 0, 128, 5, 0, 2, M::SDA25xx, "01011000000", L::None, S::None, // 140
     {}, -1, Marker | Handler | NoSerialAdapter, {.servedThrough = 121}},
    {"SDA2526", F::Sda25xx, 0, 256, 5, 0, 2, M::SDA25xx, "01011000000", L::None, S::None, // 141
     {}, -1, Marker | Handler | NoSerialAdapter, {.servedThrough = 121}},
    {"SDA2546", F::Sda25xx, 0, 512, 5, 0, 2, M::SDA25xx, "01011000000", L::None, S::None, // 142
     {}, -1, Marker | Handler | NoSerialAdapter, {.servedThrough = 121}},
    {"SDA2586", F::Sda25xx, 0, 1024, 5, 0, 2, M::SDA25xx, "01011000000", L::None, S::None, // 143
     {}, -1, Marker | Handler | NoSerialAdapter, {.servedThrough = 121}},
    {"PCF8582", F::Pcf8582, 0, 256, 5, 0, 2, M::PCF, "01011000000", L::None, S::None, // 144
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"NVM3060", F::Nvm3060, 0, 512, 5, 0, 2, M::TVEEPROM, "01011000000", L::None, S::None, // 145
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"MDA2062", F::Nvm3060, 0, 128, 21, 0, 2, M::TVEEPROM, "01011000000", L::None, S::None, // 146
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"DS1245", F::Ram, 0, 131072, 5, 0, 9, M::RAMNVRAM, "01011000001", L::None, S::None, // 147
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"62256", F::Ram, 0, 32768, 5, 0, 8, M::RAMNVRAM, "01011000001", L::None, S::None, // 148
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"27C16", F::Eprom8Bit, 0, 2048, 25, 0, 7, M::N27xxx87xxx, "01011000001", L::None, S::None, // 149
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"27C32", F::Eprom8Bit, 0, 4096, 21, 0, 7, M::N27xxx87xxx, "01011000001", L::None, S::None, // 150
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"27C64", F::Eprom8Bit, 0, 8192, 12, 1, 8, M::N27xxx87xxx, "01011000001", L::None, S::None, // 151
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"27C128", F::Eprom8Bit, 0, 16384, 12, 1, 8, M::N27xxx87xxx, "01011000001", L::None, S::None, // 152
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"27C256", F::Eprom8Bit, 0, 32768, 12, 1, 8, M::N27xxx87xxx, "01011000001", L::None, S::None, // 153
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"57C256", F::Eprom8Bit, 0, 32768, 12, 1, 8, M::N27xxx87xxx, "01011000001", L::None, S::None, // 154
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"87C257", F::Eprom8Bit, 0, 32768, 12, 1, 8, M::N27xxx87xxx, "01011000001", L::None, S::None, // 155
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"27C512", F::Eprom8Bit, 0, 65536, 12, 1, 8, M::N27xxx87xxx, "01011000001", L::None, S::None, // 156
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"27C801", F::Eprom8Bit, 0, 1048576, 12, 0, 13, M::N27xxx87xxx, "01011000001", L::None, S::None, // 157
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"27C1001", F::Eprom8Bit, 0, 131072, 12, 2, 9, M::N27xxx87xxx, "01011000001", L::None, S::None, // 158
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"27C2001", F::Eprom8Bit, 0, 262144, 12, 2, 9, M::N27xxx87xxx, "01011000001", L::None, S::None, // 159
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"27C4001", F::Eprom8Bit, 0, 524288, 12, 2, 9, M::N27xxx87xxx, "01011000001", L::None, S::None, // 160
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"27C010", F::Eprom8Bit, 0, 131072, 12, 2, 9, M::N27xxx87xxx, "01011000001", L::None, S::None, // 161
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"27C020", F::Eprom8Bit, 0, 262144, 12, 2, 9, M::N27xxx87xxx, "01011000001", L::None, S::None, // 162
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"27C040", F::Eprom8Bit, 0, 524288, 12, 2, 9, M::N27xxx87xxx, "01011000001", L::None, S::None, // 163
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"28C16", F::Parallel28xxx, 0, 2048, 5, 0, 7, M::N28xxx, "01011000000", L::None, S::None, // 164
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"28C64", F::Parallel28xxx, 0, 8192, 5, 0, 8, M::N28xxx, "01011000000", L::None, S::None, // 165
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"28C256", F::Parallel28xxx, 0, 32768, 5, 0, 8, M::N28xxx, "01011000000", L::None, S::None, // 166
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"28F2000", F::Parallel28xxx, 0, 262144, 5, 0, 13, M::N28xxx, "01111000000", L::None, S::None, // 167
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"28F010", F::Parallel28xxx, 0, 131072, 5, 0, 9, M::N28xxx, "01111000000", L::None, S::None, // 168
     {}, -1, Marker | Handler | NoSerialAdapter, {.extraErasePackets = 8, .extraEraseWaitMs = 1000}},
    {"28F001", F::Parallel28xxx, 0, 114688, 5, 0, 9, M::N28xxx, "01111000000", L::None, S::None, // 169
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"29F010", F::Flash29xxx, 0, 131072, 5, 0, 9, M::N29xxx49xxx, "01111000000", L::None, S::None, // 170
     {}, -1, Marker | Handler | NoSerialAdapter, {.itemName = "N29C0101", .itemCaption = "29C010A"}},
    {"29C020", F::Flash29xxx, 0, 262144, 5, 0, 9, M::N29xxx49xxx, "01111000000", L::None, S::None, // 171
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"29F010", F::Flash29xxx, 0, 131072, 5, 0, 9, M::N29xxx49xxx, "01111000000", L::None, S::None, // 172
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"29F040", F::Flash29xxx, 0, 524288, 5, 0, 9, M::N29xxx49xxx, "01111000000", L::None, S::None, // 173
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"49F040", F::Flash29xxx, 0, 524288, 5, 0, 9, M::N29xxx49xxx, "01111000000", L::None, S::None, // 174
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"29EE010", F::Flash29xxx, 0, 131072, 5, 0, 9, M::N29xxx49xxx, "01111000000", L::None, S::None, // 175
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"29EE020", F::Flash29xxx, 0, 262144, 5, 0, 9, M::N29xxx49xxx, "01111000000", L::None, S::None, // 176
     {}, -1, Marker | Handler | NoSerialAdapter, {}},
    {"27C1024", F::Eprom16Bit, 0, 131072, 12, 2, 13, M::EPROM16bit, "01011000001", L::None, S::None, // 177
     {}, -1, Marker | Handler | NoSerialAdapter | ExtSocket, {}},
    {"27C4096", F::Eprom16Bit, 0, 524288, 12, 2, 13, M::EPROM16bit, "01011000001", L::None, S::None, // 178
     {}, -1, Marker | Handler | NoSerialAdapter | ExtSocket, {}},
    {"27C210", F::Eprom16Bit, 0, 131072, 12, 2, 13, M::EPROM16bit, "01011000001", L::None, S::None, // 179
     {}, -1, Marker | Handler | NoSerialAdapter | ExtSocket, {}},
    {"29F200", F::Eprom16Bit, 0, 262144, 5, 0, 13, M::EPROM16bit, "01111000001", L::None, S::None, // 180
     {}, -1, Marker | Handler | NoSerialAdapter | ExtSocket, {}},
    {"29F400", F::Eprom16Bit, 0, 524288, 5, 0, 13, M::EPROM16bit, "01111000001", L::None, S::None, // 181
     {}, -1, Marker | Handler | NoSerialAdapter | ExtSocket, {}},
    {"29F800", F::Eprom16Bit, 0, 1048576, 5, 0, 13, M::EPROM16bit, "01111000001", L::None, S::None, // 182
     {}, -1, Marker | Handler | NoSerialAdapter | ExtSocket, {}},
    {"49F1024", F::Eprom16Bit, 0, 131072, 5, 0, 13, M::EPROM16bit, "01111000001", L::None, S::None, // 183
     {}, -1, Marker | Handler | NoSerialAdapter | ExtSocket, {}},
    {"27C4002", F::Eprom16Bit, 0, 524288, 12, 2, 13, M::EPROM16bit, "01011000001", L::None, S::None, // 184
     {}, -1, Marker | Handler | NoSerialAdapter | ExtSocket, {}},
    {"HCS101", F::Encoder, 0, 24, 5, 0, 2, M::HCS, "00010000000", L::None, S::None, // 185
     {}, -1, Handler | NoSerialAdapter, {}},
    {"HCS200", F::Encoder, 0, 24, 5, 0, 2, M::HCS, "00010000000", L::None, S::None, // 186
     {}, -1, Handler | NoSerialAdapter, {}},
    {"HCS300", F::Encoder, 0, 24, 5, 0, 2, M::HCS, "00010000000", L::None, S::None, // 187
     {}, -1, Handler | NoSerialAdapter, {}},
    {"HCS301", F::Encoder, 0, 24, 5, 0, 2, M::HCS, "00010000000", L::None, S::None, // 188
     {}, -1, Handler | NoSerialAdapter, {}},
    {"HCS360", F::Encoder, 0, 24, 5, 0, 2, M::HCS, "00010000000", L::None, S::None, // 189
     {}, -1, Handler | NoSerialAdapter, {}},
    {"HCS361", F::Encoder, 0, 24, 5, 0, 2, M::HCS, "00010000000", L::None, S::None, // 190
     {}, -1, Handler | NoSerialAdapter, {}},
    {"(rf)HCS362", F::Encoder, 0, 36, 5, 0, 2, M::HCS, "00010000000", L::None, S::None, // 191
     {}, -1, Handler | NoSerialAdapter, {}},
    {"HCS500", F::Encoder, 0, 10, 5, 0, 3, M::HCS, "00010000000", L::None, S::None, // 192
     {}, -1, Handler | NoSerialAdapter, {}},
    {"HCS512", F::Encoder, 0, 10, 5, 0, 13, M::HCS, "00010000000", L::None, S::None, // 193
     {}, -1, Handler | NoSerialAdapter, {}},
    {"HCS515", F::Encoder, 0, 10, 5, 0, 4, M::HCS, "00010000000", L::None, S::None, // 194
     {}, -1, Handler | NoSerialAdapter, {}},
    {"TCN75", F::Encoder, 0, 5, 5, 0, 13, M::TCN, "00010000000", L::None, S::None, // 195
     {}, -1, Handler | NoSerialAdapter, {}},
    {"unknown", F::Flash8051Pin20, 0, 0, 0, 0, 0, M::None, "11111111110", L::None, S::None, // 196
     {}, -1, 0, {}},
};
// clang-format on
static_assert(std::size(kRows) == kUnknownDevice + 1);

} // namespace

std::span<const CatalogueRow> catalogueRows() { return std::span(kRows).first(kDeviceCount); }

const CatalogueRow& chipRow(int deviceIndex) {
    if (deviceIndex < 0 || deviceIndex >= kDeviceCount) return kRows[kUnknownDevice];
    return kRows[static_cast<size_t>(deviceIndex)];
}

std::optional<Family> familyOf(int deviceIndex) {
    if (deviceIndex < 0 || deviceIndex >= kDeviceCount) return std::nullopt;
    return kRows[static_cast<size_t>(deviceIndex)].family;
}

void catalogueLookup(SelectedDevice& dev) {
    dev.picFlag = false;
    if (auto f = familyOf(dev.index)) dev.family = *f;
    if (dev.family == Family::Pic) dev.picFlag = true;
    dev.epromClass = 0;
    dev.voltage = 0;
    dev.programSize = 0;
    dev.dataSize = 0;
    dev.name.clear();
    if (dev.index > kUnknownDevice) return;
    if (dev.index == kUnknownDevice) {
        dev.name = kRows[kUnknownDevice].name;
        return;
    }
    if (dev.index < 0) return; // never selected; keeps the lookup total
    const CatalogueRow& row = kRows[static_cast<size_t>(dev.index)];
    dev.name = row.name;
    dev.programSize = row.programSize;
    dev.dataSize = row.dataSize;
    dev.voltage = row.voltage;
    dev.epromClass = row.epromClass;
    dev.socketPicture = row.socketPicture;
}

std::optional<int> findDeviceByName(std::string_view name) {
    for (int i = 0; i < kDeviceCount; ++i)
        if (kRows[static_cast<size_t>(i)].name == name) return i;
    return std::nullopt;
}

} // namespace kestro
