#pragma once
// What other parts of the form ask of the fuse panel besides SetFuse and GetFuse.

namespace kestro {

class TMyForm;

// Program Security, when no lock mode was chosen: the lock list jumps to its strongest
// entry and the lock mode follows it. Devices without a strongest entry keep 0.
void chooseStrongestLock(TMyForm& form);

} // namespace kestro
