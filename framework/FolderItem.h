#pragma once

#include "Object.h"

// A file or folder on disk, by its path.
class FolderItem : public Object {
public:
    explicit FolderItem(String nativePath);
    static const ClassRecord& Class();
    const ClassRecord& ClassInfo() const override { return Class(); }

    String NativePath() const { return path_; }
    String Name() const;   // the last component of the path
    bool Exists() const;
    bool Directory() const;
    // The OS error number of the last failed operation on the item, 0 if none.
    Int32 LastErrorCode() const noexcept { return lastError_; }
    void LastErrorCode(Int32 code) noexcept { lastError_ = code; }

private:
    String path_;
    Int32 lastError_ = 0;
};

namespace SpecialFolder {
// The user's Documents folder; the home folder where there is none.
Ref<FolderItem> Documents();
}
