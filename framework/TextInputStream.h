#pragma once

#include "FolderItem.h"

#include <memory>

// Reads a text file line by line. Lines end at LF, CRLF or CR. The text is
// decoded as UTF-8 with a leading byte-order mark dropped; each byte sequence
// that is not valid UTF-8 becomes U+FFFD, so every line is valid text and no
// line is ever cut by a bad byte. Never writes.
class TextInputStream : public Object {
public:
    static const ClassRecord& Class();
    const ClassRecord& ClassInfo() const override { return Class(); }
    ~TextInputStream() override;

    // Opens the file; raises IOException (with the OS error number and the
    // path) when it cannot: missing, no permission, a folder.
    static Ref<TextInputStream> Open(const Ref<FolderItem>& file);

    // The next line without its line end; "" when nothing is left. A failed
    // read raises IOException when UseIOExceptions is on.
    String ReadLine();
    // True once the whole file has been read. (EOF is a C library macro.)
    bool EndOfFile() const;

    bool UseIOExceptions() const noexcept { return useIOExceptions_; }
    void UseIOExceptions(bool on) noexcept { useIOExceptions_ = on; }
    void Close();

    struct Impl;
    explicit TextInputStream(std::unique_ptr<Impl> impl);

private:
    std::unique_ptr<Impl> impl_;
    bool useIOExceptions_ = false;
};
