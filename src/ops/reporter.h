#pragma once
// What a chip operation shows and asks while it runs. The window's reporter is the
// operation panel; a terminal front end draws a progress line; tests record.

#include "link/link.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace kestro {

class Reporter {
public:
    virtual ~Reporter() = default;

    // An operation that cannot be cancelled announces itself.
    virtual void messageMode(std::string_view text, uint32_t color) = 0;
    // A block transfer announces itself; clears the cancel request. `total` is
    // (blocks - 1) x the block size.
    virtual void progressMode(std::string_view text, uint32_t total, uint32_t color) = 0;
    // After each completed block: lets the user act, then answers whether to stop; when
    // going on, shows `done` bytes (from the marker start) as done.
    virtual bool progressStep(uint32_t done) = 0;
    // The status line of the running operation shows this text now.
    virtual void status(std::string_view text) = 0;
    // A difference found (ContentDiffers, NotBlank): shows the text and waits until the
    // user cancels.
    virtual void holdUntilCancel(Fault kind, std::string_view text) = 0;
    // The operator-interrupt ending: stopped between blocks.
    virtual void operatorInterrupt() = 0;
    virtual void hidePanel() = 0;
    virtual void beep() = 0;
    virtual void waitMs(int ms) = 0;
    // A wait that only keeps a text readable after the adapter's exchange has ended;
    // a front end nobody watches may leave it out.
    virtual void shownWaitMs(int ms) { waitMs(ms); }
    // The Yes/No question; true for Yes.
    virtual bool ask(const std::string& text, const std::string& caption) = 0;
    // A failure, shown once: its kind and the text to show.
    virtual void failure(Fault kind, const std::string& text) = 0;
    // A word-addressed transfer widened the marker area to whole words.
    virtual void markerShown(uint32_t start, uint32_t end) = 0;
    // Identification switched the selection to another device: the front end follows.
    virtual void selectionChanged() = 0;

    // ---- between the links of a chain ----
    // The buffers changed: show them anew.
    virtual void imageChanged() = 0;
    // The fuse bytes changed: show them.
    virtual void fusesChanged() = 0;
    // The fuse panel's values into the fuse bytes and the lock mode; false when they
    // cannot be used (the front end has said why).
    virtual bool collectFuses() = 0;
    // Program Security chose the lock list's entry itself.
    virtual void lockLevelChosen(int entry) = 0;

    // ---- stop requests ----
    // A stop was asked for (Cancel, Escape, Ctrl+C, or the front end going away): no
    // later link of the chain starts, and an operation whose command has not gone out
    // yet does not send it. The front end may take pending input first.
    virtual bool stopRequested() = 0;
    // The front end is going away: fixed waits end at once and a run of erase packets
    // ends after the packet in hand.
    virtual bool closing() = 0;
    // A run of erase packets ended after `sent` of `packets` at a stop request: the
    // chip is only partly erased.
    virtual void partlyErased(int sent, int packets) = 0;
};

// Shows the fault with its own message (nothing for Fault::None).
inline void fail(Reporter& r, Fault f) {
    if (f != Fault::None) r.failure(f, faultMessage(f));
}

} // namespace kestro
