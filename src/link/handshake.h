#pragma once
// The adapter handshake: what the adapter serves, its version and its four text lines.

#include "devices/device_state.h"
#include "link/link.h"

namespace kestro {

// Sends the handshake packet and reads the reply into the adapter state: capability
// map, allowed-device flags, serial-adapter flag, socket variant and text lines. Every
// device is allowed on entry, so a failed handshake leaves them all allowed.
Fault runHandshake(Link& link, const SelectedDevice& dev, AdapterState& adapter);

// The adapter serves the device (false outside 0..255).
bool isAllowed(const AdapterState& adapter, int deviceIndex);

} // namespace kestro
