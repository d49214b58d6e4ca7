#pragma once
// The layout descriptions, one per layout; fuse_layouts.cpp says which devices use
// which.

#include "fuses/layout_desc.h"

namespace kestro {

// 8051 family and AVR (layouts_8051_avr.cpp)
extern const LayoutDesc kLock3Layout;
extern const LayoutDesc kLock4Layout;
extern const LayoutDesc kAt89sLayout;
extern const LayoutDesc kAt90sLayout;
extern const LayoutDesc kTiny11Layout;
extern const LayoutDesc kTiny12Layout;
extern const LayoutDesc kTiny15Layout;
extern const LayoutDesc kTiny28Layout;
extern const LayoutDesc kMegaLayout;
extern const LayoutDesc kW78Layout;

// PIC12 and PIC16 (layouts_pic.cpp)
extern const LayoutDesc kPic12c5Layout;
extern const LayoutDesc kPic12c67Layout;
extern const LayoutDesc kPic16c5xLayout;
extern const LayoutDesc kPic16c505Layout;
extern const LayoutDesc kPic16c62xLayout;
extern const LayoutDesc kPic16c84Layout;
extern const LayoutDesc kPic12f6xxLayout;
extern const LayoutDesc kPic16f62xLayout;
extern const LayoutDesc kPic16f7xLayout;
extern const LayoutDesc kPic16f81xLayout;
extern const LayoutDesc kPic16f87xLayout;
extern const LayoutDesc kPic16f87xaLayout;

// PIC18 (layouts_pic18.cpp)
extern const LayoutDesc kPic18Layout;

} // namespace kestro
