#pragma once
// The File menu commands that move images between files and buffers.

namespace kestro {

// The filter of both file dialogs.
inline constexpr const char* kFileDialogFilter =
    "Hex & Bin files (*.hex *.bin *.HEX *.BIN);;All files (*)";

inline constexpr const char* kCantOpenBinary = "Can't Open File!";
inline constexpr const char* kCantSave = "Can't Save File!";
inline constexpr const char* kErrorCaption = "Error";

} // namespace kestro
