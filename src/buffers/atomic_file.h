#pragma once
// Writing a file so that the previous one survives any failure: the bytes go to a
// temporary file in the same folder, which replaces the target only once everything
// was written and flushed.

#include <cstddef>
#include <string>

namespace kestro {

class AtomicFile {
public:
    AtomicFile() = default;
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    ~AtomicFile(); // an unfinished temporary file is removed

    // Creates the temporary file for `target`; false when that is not possible, or
    // when `target` exists and this user could not write it himself (no write
    // permission, or not a regular file).
    bool create(const std::string& target);
    // Appends bytes; a failure is remembered and reported by commit().
    void write(const void* bytes, size_t size);
    // Flushes, closes and renames over the target. False when anything on the way
    // failed; the target is then untouched.
    bool commit();

private:
    void discard();

    int fd_ = -1;
    bool failed_ = false;
    std::string temp_;
    std::string target_;
};

} // namespace kestro
