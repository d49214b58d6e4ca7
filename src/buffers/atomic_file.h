#pragma once
// Writing a file so that the previous one survives any failure: the bytes go to a
// temporary file in the same folder, which replaces the target only once everything
// was written and flushed.

#include <cstddef>
#include <string>

namespace kestro {

// Through a symbolic link a save replaces the file the link points to: that is how a
// settings file or an image kept in another folder is written. The test says whether
// the file found there is one of the kind being written; anything else is left alone,
// so a stray link never turns a save into a write over an unrelated file. Without a
// test, a link is followed only to a file that is missing or empty.
using LinkTargetTest = bool (*)(const std::string& path);

class AtomicFile {
public:
    AtomicFile() = default;
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    ~AtomicFile(); // an unfinished temporary file is removed

    // Creates the temporary file for `target`; false when that is not possible, when
    // `target` exists and this user could not write it himself (no write permission,
    // or not a regular file), or when it is reached through a link and fails `test`.
    bool create(const std::string& target, LinkTargetTest test = nullptr);
    // Appends bytes; a failure is remembered and reported by finish() or commit().
    void write(const void* bytes, size_t size);
    // Flushes and closes the temporary file, leaving the target as it is; false when
    // anything so far failed. Saves of several files finish them all before replacing
    // any, so a failure leaves none of them half replaced.
    bool finish();
    // Renames the finished temporary file over the target.
    bool replace();
    // finish() and replace(): false when anything on the way failed; the target is
    // then untouched.
    bool commit() { return finish() && replace(); }

    const std::string& target() const { return target_; }
    // Why the last step failed, in a few words ("Permission denied", ...).
    const std::string& reason() const { return reason_; }

private:
    void discard();
    bool fail(std::string why);
    bool failErrno();

    int fd_ = -1;
    bool failed_ = false;
    bool finished_ = false;
    std::string temp_;
    std::string target_;
    std::string reason_;
};

// Link target tests for the files the program writes.
bool linkTargetIsIntelHex(const std::string& path);
bool linkTargetIsImage(const std::string& path);     // a binary image: at most 1 MiB
bool linkTargetIsDataFile(const std::string& path);  // `.eep`: a raw data memory or Intel HEX
bool linkTargetIsFuseFile(const std::string& path);  // `.fus`: at most two bytes

} // namespace kestro
